#!/usr/bin/env bash
# The Debian package as a user meets it: apt-get installs it with the dependencies it declares; the program from
# /usr/bin, started as its menu entry starts it, by an ordinary user, logs under an XEmbed tray and under a
# StatusNotifierItem panel; apt-get purge removes every file of the package and leaves the user's database as it was.
# Usage (as root, since it installs the package): package.sh build/zovodazad_<version>_<arch>.deb
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
fail() {
    echo "FAIL: $*"
    tail -n 20 "$WORK"/logs/*.log 2>/dev/null || true
    exit 1
}
wait_for() {
    local end=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        [ $SECONDS -lt $end ] || return 1
        sleep 0.1
    done
}

# The panel's part, run as the user inside a D-Bus session of its own: the item reaches Xfce's panel, then the
# program ends as the session's end would end it.
if [ "${1:-}" = --sni ]; then
    xfce4-panel --disable-wm-check >"$WORK/logs/panel.log" 2>&1 &
    panel=$!
    wait_for 15 "$HERE/sni.py" host || fail "the panel did not start"
    sh -c "exec $EXEC_LINE" >"$WORK/logs/sni.log" 2>&1 &
    app=$!
    wait_for 15 "$HERE/sni.py" items || fail "the installed program's item did not reach the panel"
    kill -TERM "$app"
    wait "$app" || true # the row written at the end tells whether it ended well
    kill "$panel"
    exit 0
fi

DEB=$(realpath "$1")
[ "$(id -u)" -eq 0 ] || { echo "FAIL: run as root, to install the package"; exit 1; }
export WORK
WORK=$(mktemp -d /tmp/zovo-package.XXXXXX)
chmod 755 "$WORK"
PIDS=()
INSTALLED=""
export DEBIAN_FRONTEND=noninteractive
cleanup() {
    for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    [ -z "$INSTALLED" ] || apt-get purge -y -qq zovodazad >/dev/null 2>&1 || true
    rm -rf "$WORK"
}
trap cleanup EXIT
# The user's part of the test runs from the scratch folder, which the user can read wherever this copy lies.
cp -r "$0" "$HERE/sni.py" "$HERE/xfce" "$WORK/"

apt-get install -y -qq "$DEB" >"$WORK/apt.log" 2>&1 || { cat "$WORK/apt.log"; fail "apt-get did not install the package"; }
INSTALLED=1
dpkg-query -L zovodazad >"$WORK/files"
for f in /usr/bin/zovodazad /usr/libexec/zovodazad/zovodazad-stats /usr/share/man/man1/zovodazad.1.gz \
    /usr/share/metainfo/io.github.zovodazad.metainfo.xml /usr/share/icons/hicolor/256x256/apps/zovodazad.png; do
    grep -qx "$f" "$WORK/files" || fail "not in the package: $f"
done

# The user: nobody, with a home and a runtime folder of its own.
USER_HOME="$WORK/home"
mkdir -p "$USER_HOME" "$WORK/runtime" "$WORK/logs"
chown nobody:nogroup "$USER_HOME" "$WORK/runtime" "$WORK/logs"
chmod 700 "$WORK/runtime"
export EXEC_LINE
EXEC_LINE=$(sed -n 's/^Exec=//p' /usr/share/applications/zovodazad.desktop)
# as_user COMMAND...: becomes the command, run as the user; in a subshell, so that $! is the program's own.
as_user() {
    exec setpriv --reuid=nobody --regid=nogroup --clear-groups env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$USER_HOME" \
        XDG_RUNTIME_DIR="$WORK/runtime" XDG_CONFIG_HOME="$USER_HOME/.config" XDG_CACHE_HOME="$USER_HOME/.cache" \
        DISPLAY="$DISPLAY" QT_QPA_PLATFORM=xcb NO_AT_BRIDGE=1 WORK="$WORK" EXEC_LINE="$EXEC_LINE" "$@"
}
DB="$USER_HOME/.local/share/Zovodazad/Zovodazad.mdb"
rows() { sqlite3 "$DB" "select count(*) from log"; }

exec 5>"$WORK/display"
Xvfb -displayfd 5 -screen 0 1280x800x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
PIDS+=($!)
wait_for 5 test -s "$WORK/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$WORK/display")"

# An XEmbed tray: the icon is the program's window embedded in trayer's.
trayer --edge bottom --align right --widthtype pixel --width 120 --height 24 >"$WORK/trayer.log" 2>&1 &
PIDS+=($!)
icon_embedded() { xwininfo -root -tree | grep -q '^        \+0x[0-9a-f]\+ "Zovodazad": ("zovodazad"'; }
as_user sh -c "exec $EXEC_LINE" >"$WORK/logs/xembed.log" 2>&1 &
app=$!
PIDS+=($app)
wait_for 15 icon_embedded || fail "the installed program's icon did not reach the XEmbed tray"
kill -TERM "$app"
wait "$app" || true # the row written at the end tells whether it ended well
[ "$(rows)" = 1 ] || fail "no row logged under the XEmbed tray"
kill "${PIDS[1]}"

(as_user dbus-run-session -- env XDG_CONFIG_DIRS="$WORK/xfce" "$WORK/$(basename "$0")" --sni) ||
    fail "under the StatusNotifierItem panel"
[ "$(rows)" = 2 ] || fail "no row logged under the StatusNotifierItem panel"

before=$(sha256sum "$DB")
apt-get purge -y -qq zovodazad >"$WORK/apt.log" 2>&1 || { cat "$WORK/apt.log"; fail "apt-get did not purge the package"; }
INSTALLED=""
while read -r f; do
    [ -d "$f" ] || [ ! -e "$f" ] || fail "left after purge: $f"
done <"$WORK/files"
[ "$(sha256sum "$DB")" = "$before" ] || fail "purging changed the user's database"
echo PASS
