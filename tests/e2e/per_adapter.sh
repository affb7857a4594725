#!/usr/bin/env bash
# On the real kernel, two counted veths carry traffic of known sizes (one more than 2^32 octets), one is deleted and
# made anew mid-run, and the program is killed with SIGKILL and started again. For every row the per-adapter records
# add up to the row, each adapter's records add up to what its kernel counters moved while it was counted, and so
# the log holds exactly the kernel's counter deltas, past 2^32 too.
source "$(dirname "$0")/lib.sh" "$1"
private_namespaces zovo$$p zovo$$q
veth_pair zova0 zova1 10.213.0
veth_pair zovb0 zovb1 10.214.0
# records <adapter>: what the per-adapter log holds for it, "received sent".
records() { sqlite3 "$DB" "select total(bytesrcvd) || ' ' || total(BytesSent) from log_adapter where adapter = '$1'" | sed 's/\.0//g'; }
plus() { read -r a b <<<"$1"; read -r c d <<<"$2"; echo "$((a + c)) $((b + d))"; }

start_desktop
APP_LAUNCH=(ip netns exec "$NS")
select_adapters zova0 zovb0
start_app
wait_first_tick # taken with both at 0
from_peer $((30 * 1048576)) 10.213.0.1
from_peer $((4608 * 1048576)) 10.214.0.1 & # 4.5 GiB: past 2^32 in the counters and in one record
big=$!
sleep 1.5
hover_icon
sleep 1.5
shot per-adapter-tooltip
wait $big
sleep 1.2

# zova0 deleted (its period ends in a row) and made anew: it counts again from zero.
a_before=$(counters zova0)
ip -n "$NS" link del zova0
sleep 1.2
veth_pair zova0 zova1 10.213.0
sleep 1.2
# One datagram (and the peer's answer that no one listens) within one tick: the first traffic of a period is saved at
# once, so the kill below loses nothing.
ip netns exec "$NS" python3 -c 'import socket; socket.socket(socket.AF_INET, socket.SOCK_DGRAM).sendto(bytes(1200), ("10.213.0.2", 9))'
wait_for 10 sh -c "sqlite3 '$DB' 'select adapters from open_period' | grep -q zova0" || fail "the period was not saved"
sleep 1.2
saved=$(sqlite3 "$DB" "select adapters from open_period")
kill -KILL "$APP_PID"
wait "$APP_PID" 2>/dev/null || true
start_app
wait_first_tick
from_peer $((9 * 1048576)) 10.213.0.1
sleep 1.2
stop_app 10

expect_a=$(plus "$a_before" "$(counters zova0)")
expect_b=$(counters zovb0)
[ "$(records zova0)" = "$expect_a" ] || fail "zova0's records $(records zova0) differ from its counters $expect_a (saved before the kill: $saved)"
[ "$(records zovb0)" = "$expect_b" ] || fail "zovb0's records $(records zovb0) differ from its counters $expect_b"
[ "$(sqlite3 "$DB" "select max(bytesrcvd) > 4294967296 from log_adapter where adapter = 'zovb0'")" = 1 ] ||
    fail "zovb0's 4.5 GiB are not in one record"
unequal=$(sqlite3 "$DB" "select count(*) from log l where bytesrcvd <> (select total(bytesrcvd) from log_adapter a
    where a.logrow = l.rowid and a.DateAndTimeStart = l.DateAndTimeStart) or BytesSent <> (select total(BytesSent)
    from log_adapter a where a.logrow = l.rowid and a.DateAndTimeStart = l.DateAndTimeStart)")
[ "$unequal" = 0 ] || fail "$unequal rows differ from the sum of their records"
[ "$(logged)" = "$(plus "$expect_a" "$expect_b")" ] || fail "the log $(logged) differs from the kernel's counters"
echo PASS
