#!/usr/bin/env bash
# Idle CPU of the hidden program against a bare Qt program with a tray icon and a 500 ms timer (bench/bare_tray.cpp),
# both run side by side under Xvfb with the trayer tray host, so both see the same machine state. CPU time is the
# kernel's per-thread run time (/proc/<pid>/task/*/schedstat, nanoseconds), summed over every thread. A virtual
# machine charges a sleeping program's wake-ups very unevenly, so the run is cut into rounds and the median of the
# rounds' ratios is the figure; the ratio of the totals is printed beside it.
# Usage: bench/idle_cpu.sh <zovodazad executable> <bare_tray executable> [rounds, default 10] [seconds a round, 20]
set -euo pipefail
BARE=$(readlink -f "$2")
ROUNDS=${3:-10}
ROUND_SECONDS=${4:-20}
source "$(dirname "$0")/../tests/e2e/lib.sh" "$1"
start_desktop

"$APP_DIR/zovodazad" >"$E2E_DIR/app.log" 2>&1 &
app=$!
E2E_PIDS+=($app)
"$BARE" >"$E2E_DIR/bare.log" 2>&1 &
bare=$!
E2E_PIDS+=($bare)
sleep 5 # start-up done, icons embedded

cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ s += $1 } END { print s }'; }
wakeups=$((ROUND_SECONDS * 2))
for round in $(seq "$ROUNDS"); do
    a0=$(cpu_ns $app)
    b0=$(cpu_ns $bare)
    sleep "$ROUND_SECONDS"
    a=$(($(cpu_ns $app) - a0))
    b=$(($(cpu_ns $bare) - b0))
    echo "$a $b" >>"$E2E_DIR/rounds"
    awk -v r=$round -v a=$a -v b=$b -v w=$wakeups 'BEGIN {
        printf "round %2d: zovodazad %8.1f us, bare tray %8.1f us per wake-up, ratio %.2f\n", r, a / w / 1000, b / w / 1000, a / b }'
done
median=$(awk '{ print $1 / $2 }' "$E2E_DIR/rounds" | sort -g | awk '{ r[NR] = $1 } END {
    printf "%.2f (lowest %.2f, highest %.2f)", NR % 2 ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2, r[1], r[NR] }')
awk -v w=$((ROUNDS * wakeups)) -v median="$median" '{ a += $1; b += $2 } END {
    printf "zovodazad hidden: %.1f us CPU per 500 ms wake-up over %d wake-ups\n", a / w / 1000, w
    printf "bare tray + timer: %.1f us CPU per 500 ms wake-up\n", b / w / 1000
    printf "ratio: median of rounds %s, of totals %.2f\n", median, a / b }' "$E2E_DIR/rounds"
