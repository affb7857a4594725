#!/usr/bin/env bash
# CPU of the hidden program under steady traffic, against the bare tray program reading the interface table
# (bench/bare_tray.cpp --read-table) and, when given, another build of the program: all run side by side in one
# network namespace of their own under Xvfb with trayer, while a sender in a second namespace pushes a steady rate
# through a veth pair that both builds count. CPU is the kernel's per-thread run time, as in idle_cpu.sh; the
# figure is the median of the rounds' ratios. After the rounds, the calls that sync a file (fsync, fdatasync) are
# counted for a minute with strace attached: a program run under strace from its start costs several times more
# wake-ups (every thread's events stop at the tracer), which the CPU rounds must not see.
# Usage: bench/traffic_cpu.sh <zovodazad> <bare_tray> <bytes a second, 0 for as fast as it goes> [rounds, 10]
#        [seconds a round, 20] [other zovodazad]        (as root)
set -euo pipefail
BARE=$(readlink -f "$2")
RATE=$3
ROUNDS=${4:-10}
ROUND_SECONDS=${5:-20}
OTHER=${6:+$(readlink -f "$6")}
source "$(dirname "$0")/../tests/e2e/lib.sh" "$1"
command -v strace >/dev/null || { echo "SKIP: strace is not installed"; exit 77; }
NS=zovo$$t
PEER=zovo$$u
private_namespaces "$NS" "$PEER"
ip link add zovt0 netns "$NS" mtu 65000 type veth peer name zovt1 netns "$PEER" mtu 65000
ip -n "$NS" addr add 10.215.0.1/30 dev zovt0
ip -n "$PEER" addr add 10.215.0.2/30 dev zovt1
ip -n "$NS" link set zovt0 up
ip -n "$PEER" link set zovt1 up
start_desktop
APP_LAUNCH=(ip netns exec "$NS")

# Each build in a folder of its own, counting the veth.
builds=("$APP_DIR")
if [ -n "$OTHER" ]; then
    mkdir -p "$E2E_DIR/other"
    cp "$OTHER" "$E2E_DIR/other/zovodazad"
    cp "$(dirname "$OTHER")/zovodazad-stats" "$E2E_DIR/other/"
    builds+=("$E2E_DIR/other")
fi
for dir in "${builds[@]}"; do
    start_app "$dir/zovodazad"
    wait_for 15 test -s "$dir/Zovodazad.mdb" || fail "no database in $dir"
    stop_app 10
    sqlite3 "$dir/Zovodazad.mdb" "insert into settings values ('Adapter0', 'zovt0')"
done

# The receiver in the program's namespace, the sender at the rate asked for in the peer's.
ip netns exec "$NS" python3 -c '
import socket
s = socket.socket(); s.bind(("10.215.0.1", 5001)); s.listen(1)
c, _ = s.accept(); buf = bytearray(4 << 20)
while c.recv_into(buf): pass' &
E2E_PIDS+=($!)
sleep 0.5
ip netns exec "$PEER" python3 -c '
import socket, sys, time
rate = int(sys.argv[1]); block = bytes(1 << 20 if rate == 0 else max(rate // 20, 1))
s = socket.create_connection(("10.215.0.1", 5001)); start = time.monotonic(); sent = 0
while True:
    s.sendall(block); sent += len(block)
    if rate:
        time.sleep(max(0.0, start + sent / rate - time.monotonic()))' "$RATE" &
E2E_PIDS+=($!)

pids=()
for dir in "${builds[@]}"; do
    start_app "$dir/zovodazad"
    pids+=($APP_PID)
done
ip netns exec "$NS" "$BARE" --read-table >"$E2E_DIR/reader.log" 2>&1 &
reader=$!
E2E_PIDS+=($reader)
sleep 5 # start-up done, icons embedded
progs=("${pids[@]}" "$reader")

cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ s += $1 } END { print s }'; }
rx() { ip netns exec "$NS" cat /sys/class/net/zovt0/statistics/rx_bytes; }
rx_before=$(rx)
# Each thread of the first build, over all rounds: its run time and how often it went to sleep or was preempted.
threads() {
    for t in /proc/"${pids[0]}"/task/*; do
        echo "${t##*/} $(tr ' ' _ <$t/comm) $(cut -d' ' -f1 $t/schedstat) $(awk '/ctxt_switches/ { printf "%s ", $2 }' $t/status)"
    done
}
threads >"$E2E_DIR/threads0"
for round in $(seq "$ROUNDS"); do
    before=()
    for p in "${progs[@]}"; do before+=($(cpu_ns $p)); done
    sleep "$ROUND_SECONDS"
    used=()
    for k in "${!progs[@]}"; do used+=($(($(cpu_ns ${progs[$k]}) - before[k]))); done
    echo "${used[*]}" >>"$E2E_DIR/rounds"
    awk -v r=$round -v s=$ROUND_SECONDS '{
        printf "round %2d: zovodazad %7.1f us/s, ", r, $1 / s / 1000
        if (NF > 2) printf "other build %7.1f us/s, ", $2 / s / 1000
        printf "reader %7.1f us/s; zovodazad / reader %.2f\n", $NF / s / 1000, $1 / $NF }' <<<"${used[*]}"
done
threads | join "$E2E_DIR/threads0" - | awk -v s=$((ROUNDS * ROUND_SECONDS)) '{
    printf "thread %s: %.1f us/s, %.2f sleeps/s, %.2f preempted/s\n", $2, ($7 - $3) / s / 1000, ($8 - $4) / s, ($9 - $5) / s }'
rate=$((($(rx) - rx_before) / ROUNDS / ROUND_SECONDS))
median() {
    awk -v c="$1" '{ print $c / $NF }' "$E2E_DIR/rounds" | sort -g | awk '{ r[NR] = $1 } END {
        printf "%.2f (rounds %.2f to %.2f)", NR % 2 ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2, r[1], r[NR] }'
}
awk -v s=$((ROUNDS * ROUND_SECONDS)) -v rate=$rate -v m1="$(median 1)" -v m2="$([ -n "$OTHER" ] && median 2)" '{
    a += $1; b += $2; c += $NF } END {
    printf "at %.1f MB/s, CPU a second: zovodazad %.1f us", rate / 1e6, a / s / 1000
    if (m2 != "") printf ", other build %.1f us", b / s / 1000
    printf ", reader %.1f us\nzovodazad / reader: median %s, totals %.2f\n", c / s / 1000, m1, a / c
    if (m2 != "") printf "other build / reader: median %s, totals %.2f\n", m2, b / c }' "$E2E_DIR/rounds"
# The syncs of a minute, every build traced at once.
tracers=()
for k in "${!builds[@]}"; do
    strace -f -qq -e trace=fsync,fdatasync -o "${builds[$k]}/syncs" -p "${pids[$k]}" &
    tracers+=($!)
done
sleep 60
kill -INT "${tracers[@]}"
wait "${tracers[@]}" || true
for dir in "${builds[@]}"; do
    echo "$dir: $(grep -c -E '^[0-9]+ +f(data)?sync\(' "$dir/syncs" || true) file syncs in 60 s"
done
