#!/usr/bin/env bash
# On the real kernel: the program runs in a private network namespace whose only link is one end of a veth pair,
# selected by name. It starts while that link's counters are 0, the received counter passes 2^32 twice, and a last
# burst arrives just before SIGTERM: the log holds exactly the kernel's counter deltas, received and sent.
source "$(dirname "$0")/lib.sh" "$1"
NS=zovo$$a
PEER=zovo$$b
private_namespaces "$NS" "$PEER"
ip link add zovo0 netns "$NS" mtu 65000 type veth peer name zovo1 netns "$PEER" mtu 65000
ip -n "$NS" addr add 10.211.0.1/30 dev zovo0
ip -n "$PEER" addr add 10.211.0.2/30 dev zovo1
ip -n "$NS" link set zovo0 up
ip -n "$PEER" link set zovo1 up

counters() { ip netns exec "$NS" cat /sys/class/net/zovo0/statistics/rx_bytes /sys/class/net/zovo0/statistics/tx_bytes | paste -sd' '; }
# from_peer <bytes>: one TCP connection from the peer into the program's namespace.
from_peer() { transfer "$1" 10.211.0.1 ip netns exec "$PEER"; }

start_desktop
APP_LAUNCH=(ip netns exec "$NS")
select_adapters zovo0 # veth is not counted unless chosen
before=$(counters)
[ "$before" = "0 0" ] || fail "the link carried traffic before the test: $before"
start_app
wait_first_tick # taken with the counters at 0
start=$(date +%s%N)
from_peer $((8 * 1024 * 1024 * 1024 + 256 * 1024 * 1024)) # 8.25 GiB: the received counter passes 2^32 twice
seconds=$((($(date +%s%N) - start) / 1000000))
sleep 1.2 # ticks in between
from_peer $((3 * 1024 * 1024))
stop_app 10
after=$(counters)
read -r rx0 tx0 <<<"$before"
read -r rx1 tx1 <<<"$after"
logged=$(sqlite3 "$DB" "select sum(cast(bytesrcvd as integer)) || ' ' || sum(cast(BytesSent as integer)) from log")
echo "kernel: received $((rx1 - rx0)), sent $((tx1 - tx0)) octets (8.25 GiB in ${seconds} ms); log: $logged"
[ "$rx1" -gt $((2 * 4294967296)) ] || fail "the received counter did not pass 2^32 twice"
[ "$logged" = "$((rx1 - rx0)) $((tx1 - tx0))" ] || fail "the log differs from the kernel's counters"
echo PASS
