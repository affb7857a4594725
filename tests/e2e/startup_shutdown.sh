#!/usr/bin/env bash
# The real program under a real X server with a tray host: it creates its database, keeps running, writes
# exactly one row at SIGTERM and ends promptly, into its database even when that was moved; a second launch shows
# its window; a broken database is refused.
source "$(dirname "$0")/lib.sh" "$1"
start_desktop

start_app
wait_db
sleep 1.5
kill -0 $APP_PID || fail "the program ended by itself"
[ "$(rows)" = 0 ] || fail "rows written before the end"

# A second launch brings the running copy's window forward and leaves quietly; so does one that reaches the same
# file through a symlink from another folder, in a session with another runtime folder. None of them logs.
monitor_hidden || fail "the monitor window is shown at start"
timeout 10 "$APP_DIR/zovodazad" >"$E2E_DIR/second.log" 2>&1 && rc=0 || rc=$?
[ $rc = 0 ] || fail "the second launch exited with $rc"
wait_for 5 monitor_shown || fail "a second launch did not show the running copy's window"
shot second-launch-shows-monitor
OTHER="$E2E_DIR/other"
mkdir -p "$OTHER" "$E2E_DIR/runtime2"
cp "$APP_DIR/zovodazad" "$APP_DIR/zovodazad-stats" "$OTHER/"
ln -s "$DB" "$OTHER/Zovodazad.mdb"
XDG_RUNTIME_DIR="$E2E_DIR/runtime2" timeout 10 "$OTHER/zovodazad" >"$E2E_DIR/third.log" 2>&1 && rc=0 || rc=$?
[ $rc = 0 ] || fail "a copy through a symlink in another session exited with $rc"
kill -0 $APP_PID || fail "the running copy ended"
[ "$(rows)" = 0 ] || fail "a second copy wrote to the database"

# The database moved away while the program runs: a launch on the old name still reaches the running copy, which
# logs into the moved file and makes nothing at the old name.
MOVED="$E2E_DIR/moved.mdb"
mv "$DB" "$MOVED"
timeout 10 "$APP_DIR/zovodazad" >"$E2E_DIR/fourth.log" 2>&1 && rc=0 || rc=$?
[ $rc = 0 ] || fail "a launch on the moved database's old name exited with $rc"
kill -0 $APP_PID || fail "the running copy ended"

start=$(date +%s%N)
kill -TERM $APP_PID
wait_for 1 app_gone || fail "still running a second after SIGTERM"
elapsed=$((($(date +%s%N) - start) / 1000000))
[ ! -e "$DB" ] && [ ! -e "$DB-journal" ] || fail "something was written at the moved database's old name"
mv "$MOVED" "$DB"
[ "$(rows)" = 1 ] || fail "expected one row after SIGTERM, found $(rows)"
echo "SIGTERM to exit: ${elapsed} ms"

# A file that is not a database: the message box, which the user reads or a termination signal ends; the process
# ends, the file is untouched.
printf 'not a database at all' >"$DB"
sum=$(sha256sum "$DB")
for ending in box TERM INT HUP; do
    start_app
    wait_for 10 xdotool search --onlyvisible --name '^Zovodazad$' || fail "no start-up error box"
    if [ $ending = box ]; then answer_box; else kill -$ending $APP_PID; fi
    wait_for 5 app_gone || fail "the start-up error box outlived $ending"
done
[ "$(sha256sum "$DB")" = "$sum" ] || fail "the broken file was modified"
echo "PASS"
