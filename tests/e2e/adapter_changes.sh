#!/usr/bin/env bash
# On the real kernel, adapters coming and going as container runtimes and VPN helpers make them: the counted veth
# moves to another network namespace and back with its counters, it is renamed, and a second counted veth arrives from
# another namespace with a history of traffic there. The log holds exactly what the two carried while they were the program's: no counter is counted
# twice, nothing is lost, and no history comes in with an adapter.
source "$(dirname "$0")/lib.sh" "$1"
AWAY=zovo$$c
OTHER=zovo$$d
private_namespaces zovo$$a zovo$$b "$AWAY" "$OTHER"
veth_pair zovo0 zovo1 10.211.0
veth_pair zovo5 zovo6 10.212.0 "$OTHER"
# up <namespace> <link> <address>: the link there, addressed and up, as after a move.
up() {
    ip -n "$1" addr add "$3/30" dev "$2"
    ip -n "$1" link set "$2" up
}

start_desktop
APP_LAUNCH=(ip netns exec "$NS")
select_adapters zovo0 zovo5 # veth is not counted unless chosen
start_app
wait_first_tick # taken with zovo0's counters at 0
from_peer $((20 * 1048576)) 10.211.0.1
sleep 1.2

# To another namespace and back, counters and all, with no traffic meanwhile.
ip -n "$NS" link set zovo0 netns "$AWAY"
sleep 1.2
ip -n "$AWAY" link set zovo0 netns "$NS"
up "$NS" zovo0 10.211.0.1
sleep 1.2
from_peer $((10 * 1048576)) 10.211.0.1

# Renamed.
ip -n "$NS" link set zovo0 down
ip -n "$NS" link set zovo0 name zovo9
ip -n "$NS" link set zovo9 up
sleep 1.2
from_peer $((5 * 1048576)) 10.211.0.1

# A second counted adapter arrives with 100 MB carried elsewhere; only what it carries here counts.
APP_LAUNCH=(ip netns exec "$OTHER")
from_peer $((100 * 1048576)) 10.212.0.1
APP_LAUNCH=(ip netns exec "$NS")
ip -n "$OTHER" link set zovo5 netns "$NS"
up "$NS" zovo5 10.212.0.1
sleep 1.2
arrived=$(counters zovo5)
from_peer $((7 * 1048576)) 10.212.0.1
sleep 1.2
stop_app 10

read -r rx9 tx9 <<<"$(counters zovo9)"
read -r rx5 tx5 <<<"$(counters zovo5)"
read -r rx5a tx5a <<<"$arrived"
expected="$((rx9 + rx5 - rx5a)) $((tx9 + tx5 - tx5a))"
[ "$(logged)" = "$expected" ] || fail "the log holds $(logged), the counted adapters carried $expected here (zovo9 $rx9 $tx9)"
echo PASS
