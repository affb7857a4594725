#!/usr/bin/env bash
# The real program counts real loopback traffic into its log, and a run killed with SIGKILL loses nothing that
# was saved: its open period becomes a row at the next start.
source "$(dirname "$0")/lib.sh" "$1"
start_desktop

lo_rx() { awk '$1 == "lo:" { print $2 }' /proc/net/dev; }
send_loopback() { # $1 = megabytes, sent once over a TCP connection on 127.0.0.1
    python3 - "$1" <<'PY'
import socket, sys, threading
n = int(sys.argv[1]) * 1024 * 1024
srv = socket.socket(); srv.bind(("127.0.0.1", 0)); srv.listen(1)
def sink():
    c, _ = srv.accept()
    got = 0
    while got < n:
        b = c.recv(1 << 20)
        if not b: break
        got += len(b)
t = threading.Thread(target=sink); t.start()
s = socket.create_connection(srv.getsockname())
block = b"\0" * (1 << 20)
for _ in range(n >> 20): s.sendall(block)
s.close(); t.join()
PY
}

select_adapters lo # loopback is not counted unless chosen
start_app
sleep 0.6 # the first tick sets the reference
before=$(lo_rx)
send_loopback 64
after=$(lo_rx)
stop_app
logged=$(sqlite3 "$DB" "select cast(total(bytesrcvd) as integer) from log")
sent=$((after - before))
echo "loopback carried $sent octets while running, the log holds $logged received"
[ "$logged" -ge $((64 * 1024 * 1024)) ] || fail "the 64 MB sent over loopback are not in the log"
[ "$(sqlite3 "$DB" 'select count(*) from open_period')" = 0 ] || fail "a clean exit left an open period"

# A killed run: the period saved at its first tick comes back as a row, ending at its last save.
start_app
wait_for 10 test -s "$DB" || fail "no database created"
sleep 0.6
send_loopback 1 # the period is saved once it holds traffic
wait_for_open_period
saved=$(sqlite3 "$DB" "select DateAndTimeStart || '|' || LastSave from open_period")
kill -KILL $APP_PID
wait $APP_PID 2>/dev/null || true
rows_before=$(rows)
start_app
wait_for 10 sh -c "[ \$(sqlite3 '$DB' 'select count(*) from log') -gt $rows_before ]" || fail "the killed run's period was not recovered"
recovered=$(sqlite3 "$DB" "select DateAndTimeStart || '|' || DateAndTimeEnd from log order by rowid desc limit 1")
[ "$recovered" = "$saved" ] || fail "recovered row $recovered differs from the saved period $saved"
kill -TERM $APP_PID
wait_for 5 sh -c "! kill -0 $APP_PID" || fail "did not end after SIGTERM"
echo PASS
