#!/usr/bin/env bash
# `cmake --install` gives a program that starts from its menu entry, keeps its database beside itself when that
# folder is writable, and opens its statistics window from the installed program of its own. (Icons, entries and the
# per-user database of a read-only install are the Debian package test's part.)
source "$(dirname "$0")/lib.sh" "$1"
BUILD_DIR=$(dirname "$1")
start_desktop

PREFIX="$E2E_DIR/prefix"
cmake --install "$BUILD_DIR" --prefix "$PREFIX" >/dev/null
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
echo PASS
