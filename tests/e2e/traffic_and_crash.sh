#!/usr/bin/env bash
# The real program counts real loopback traffic into its log. Ending while another program holds the database, and
# losing the display server, lose nothing; a pending file it cannot read is left as it is, and the user told.
source "$(dirname "$0")/lib.sh" "$1"
start_desktop

received() { sqlite3 "$DB" "select cast(total(bytesrcvd) as integer) from log"; }
received_at_least() { [ "$(received)" -ge "$1" ]; }

select_adapters lo # loopback is not counted unless chosen

# Exit while the sqlite3 tool holds a write transaction: the last row cannot be written, so its traffic is kept
# beside the database, the program stays until its box is answered, and the next start logs the traffic.
start_app
logged_before=$(received)
wait_first_tick # the first tick sets the reference
send_loopback 1
wait_for_open_period # saved; the next save is a minute away, so only the kept last row holds what follows
send_loopback 16
mkfifo "$E2E_DIR/reader"
sqlite3 "$DB" <"$E2E_DIR/reader" >"$E2E_DIR/reader.out" &
reader=$!
E2E_PIDS+=($reader)
exec 6>"$E2E_DIR/reader"
echo "BEGIN IMMEDIATE; SELECT 'writing', count(*) FROM log;" >&6
wait_for 5 grep -q writing "$E2E_DIR/reader.out" || fail "the other writer did not start"
kill -TERM $APP_PID
wait_for 20 xdotool search --onlyvisible --name '^Zovodazad$' || fail "no box about the last row"
kill -0 $APP_PID || fail "the program ended before its box was answered"
[ -s "$DB-pending" ] || fail "the last row's traffic was not kept"
answer_box
wait_for 5 app_gone || fail "did not end after its box was answered"
exec 6>&-
wait $reader || true
start_app
wait_for 10 received_at_least $((logged_before + 17 * 1024 * 1024)) ||
    fail "the traffic of the refused last row was not logged at the next start"
[ ! -e "$DB-pending" ] || fail "the kept traffic stayed after it was logged"
stop_app

# A pending file that cannot be read (here a folder) is left as it is, and a box says so.
mkdir "$DB-pending"
start_app
wait_for 20 xdotool search --onlyvisible --name '^Zovodazad$' || fail "no box about the unreadable pending file"
answer_box
stop_app
[ -d "$DB-pending" ] || fail "the unreadable pending file was not left as it is"
rmdir "$DB-pending"

# The display server goes away: the program ends like Exit, with its last row.
start_app
logged_before=$(received)
wait_first_tick # the first tick sets the reference
send_loopback 16
wait_for_open_period
kill -KILL "${E2E_PIDS[0]}" # Xvfb
wait_for 10 app_gone || fail "still running without a display"
received_at_least $((logged_before + 16 * 1024 * 1024)) || fail "the last row was lost with the display"
[ "$(sqlite3 "$DB" 'select count(*) from open_period')" = 0 ] || fail "no clean end without the display"
echo PASS
