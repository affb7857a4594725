# Sourced first by the scripts that run Xfce's panel: the script runs again inside a D-Bus session of its own, with
# a scratch home and the panel's layout and the window manager's settings from the folder beside this file. It is
# skipped when dbus-run-session, python3-dbus or one of the tools it names in SESSION_TOOLS is missing.
if [ -z "${ZOVO_E2E_BUS:-}" ]; then
    for tool in dbus-run-session "${SESSION_TOOLS[@]}"; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
    done
    /usr/bin/python3 -c 'import dbus' 2>/dev/null || { echo "SKIP: python3-dbus is not installed"; exit 77; }
    home=$(mktemp -d /tmp/zovo-e2e-home.XXXXXX)
    ZOVO_E2E_BUS=1 HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_CACHE_HOME="$home/.cache" \
        XDG_CONFIG_DIRS="$(cd "$(dirname "$0")" && pwd)/xfce" NO_AT_BRIDGE=1 \
        dbus-run-session -- "$0" "$@" && rc=0 || rc=$?
    rm -rf "$home"
    exit $rc
fi
