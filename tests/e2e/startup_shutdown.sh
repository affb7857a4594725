#!/usr/bin/env bash
# The real program under a real X server with a tray host: it creates its database, keeps running, writes
# exactly one row at SIGTERM and ends promptly; a broken database and a second copy are refused.
source "$(dirname "$0")/lib.sh" "$1"
start_desktop

start_app
wait_for 10 test -s "$DB" || fail "no database created"
wait_for 10 sh -c "sqlite3 '$DB' 'select count(*) from sqlite_master' | grep -q '^[1-9]'" || fail "empty schema"
objects=$(sqlite3 "$DB" "select group_concat(name, ' ') from (select name from sqlite_master order by name)")
for o in settings log DownloadPerday DownloadPerWeek DownloadPerMonth DownloadPerYear; do
    [[ " $objects " == *" $o "* ]] || fail "missing $o in: $objects"
done
sleep 1.5
kill -0 $APP_PID || fail "the program ended by itself"
[ "$(rows)" = 0 ] || fail "rows written before the end"

# A second copy on the same database says so and leaves.
"$APP_DIR/zovodazad" >"$E2E_DIR/second.log" 2>&1 &
second=$!
wait_for 10 xdotool search --onlyvisible --name '^Zovodazad$' || fail "no message from the second copy"
answer_box
wait_for 5 sh -c "! kill -0 $second" || fail "the second copy kept running"
wait $second && rc=0 || rc=$?
[ $rc = 2 ] || fail "the second copy exited with $rc"
[ "$(rows)" = 0 ] || fail "the second copy wrote to the database"

start=$(date +%s%N)
kill -TERM $APP_PID
wait_for 1 sh -c "! kill -0 $APP_PID" || fail "still running a second after SIGTERM"
elapsed=$((($(date +%s%N) - start) / 1000000))
[ "$(rows)" = 1 ] || fail "expected one row after SIGTERM, found $(rows)"
echo "SIGTERM to exit: ${elapsed} ms"

# A file that is not a database: the message box, the process ends, the file is untouched.
printf 'not a database at all' >"$DB"
sum=$(sha256sum "$DB")
start_app
wait_for 10 xdotool search --onlyvisible --name '^Zovodazad$' || fail "no start-up error box"
answer_box
wait_for 5 sh -c "! kill -0 $APP_PID" || fail "the program kept running with a broken database"
[ "$(sha256sum "$DB")" = "$sum" ] || fail "the broken file was modified"
echo "PASS"
