# Sourced first by the scripts that need a D-Bus session of their own: the script runs again inside one, with a
# scratch home and runtime folder. SESSION_TOOLS names the tools it needs, SESSION_MODULES the Python modules, and
# SESSION_ENV what else the session sets; the script is skipped when one of them is missing.
if [ -z "${ZOVO_E2E_BUS:-}" ]; then
    for tool in dbus-run-session "${SESSION_TOOLS[@]}"; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
    done
    for module in "${SESSION_MODULES[@]}"; do
        /usr/bin/python3 -c "import $module" 2>/dev/null || { echo "SKIP: python3-$module is not installed"; exit 77; }
    done
    home=$(mktemp -d /tmp/zovo-e2e-home.XXXXXX)
    mkdir -m 700 "$home/runtime"
    env ZOVO_E2E_BUS=1 HOME="$home" XDG_RUNTIME_DIR="$home/runtime" XDG_CONFIG_HOME="$home/.config" \
        XDG_CACHE_HOME="$home/.cache" "${SESSION_ENV[@]}" dbus-run-session -- "$0" "$@" && rc=0 || rc=$?
    rm -rf "$home"
    exit $rc
fi
