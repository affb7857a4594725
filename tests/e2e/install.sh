#!/usr/bin/env bash
# `cmake --install` gives a program that starts from its menu entry: the executable, the statistics window's program,
# the icon, the menu and autostart entries; the database goes beside the program when that folder is writable and to
# the per-user data folder when it is not.
source "$(dirname "$0")/lib.sh" "$1"
BUILD_DIR=$(dirname "$1")
command -v desktop-file-validate >/dev/null || { echo "SKIP: desktop-file-validate is not installed"; exit 77; }
start_desktop

PREFIX="$E2E_DIR/prefix"
cmake --install "$BUILD_DIR" --prefix "$PREFIX" >/dev/null
for f in bin/zovodazad libexec/zovodazad/zovodazad-stats share/applications/zovodazad.desktop \
    share/icons/hicolor/scalable/apps/zovodazad.svg share/zovodazad/zovodazad.desktop; do
    [ -f "$PREFIX/$f" ] || fail "not installed: $f"
done
# The theme's fixed sizes: each PNG exactly as large as the folder it is in says.
for size in 16 22 24 32 48 64 128 256; do
    png="$PREFIX/share/icons/hicolor/${size}x${size}/apps/zovodazad.png"
    [ "$(identify -format '%wx%h' "$png" 2>/dev/null)" = "${size}x${size}" ] || fail "no ${size}-pixel icon in the theme"
done
desktop-file-validate "$PREFIX/share/applications/zovodazad.desktop" || fail "invalid menu entry"
desktop-file-validate "$PREFIX/share/zovodazad/zovodazad.desktop" || fail "invalid autostart entry"

# Start the program the way the menu does: the Exec line, found on the PATH.
exec_line=$(sed -n 's/^Exec=//p' "$PREFIX/share/applications/zovodazad.desktop")
launch() { PATH="$PREFIX/bin:$PATH" start_app sh -c "exec $exec_line"; }

DB="$PREFIX/bin/Zovodazad.mdb"
launch
wait_for 10 test -s "$DB" || fail "portable layout: no database beside the program"

# The statistics window is the installed program of its own.
icon_menu
xdotool key v
wait_for 10 stats_windows || fail "the installed program could not open its statistics window"
stop_app

# Installed where the user cannot write (root ignores permissions; the immutable flag stands in for them).
rm -f "$DB"
chattr +i "$PREFIX/bin" 2>/dev/null || { echo "SKIP: chattr is not available here"; exit 77; }
trap 'chattr -i "$PREFIX/bin" 2>/dev/null; cleanup' EXIT
DB="$HOME/.local/share/Zovodazad/Zovodazad.mdb"
launch
wait_for 10 test -s "$DB" || fail "installed layout: no database in the per-user data folder"
stop_app
[ "$(rows)" = 1 ] || fail "expected the last row in the per-user database"
chattr -i "$PREFIX/bin"
echo PASS
