#!/usr/bin/env bash
# Idle CPU of the hidden program against a bare Qt program with a tray icon and a 500 ms timer (bench/bare_tray.cpp),
# and against the same bare program reading the interface table at each tick (the least a traffic monitor must do),
# all run side by side under Xvfb with the trayer tray host, so all see the same machine state. With a second build
# of the program (say, the one before a change), that runs beside them too, in a folder of its own. CPU time is the
# kernel's per-thread run time (/proc/<pid>/task/*/schedstat, nanoseconds), summed over every thread. A virtual
# machine charges a sleeping program's wake-ups very unevenly, so the run is cut into rounds and the median of the
# rounds' ratios is the figure; the ratio of the totals is printed beside it.
# Usage: bench/idle_cpu.sh <zovodazad> <bare_tray> [rounds, default 10] [seconds a round, 20] [other zovodazad]
set -euo pipefail
BARE=$(readlink -f "$2")
ROUNDS=${3:-10}
ROUND_SECONDS=${4:-20}
OTHER=${5:+$(readlink -f "$5")}
source "$(dirname "$0")/../tests/e2e/lib.sh" "$1"
start_desktop

"$APP_DIR/zovodazad" >"$E2E_DIR/app.log" 2>&1 &
pids=($!)
"$BARE" >"$E2E_DIR/bare.log" 2>&1 &
pids+=($!)
"$BARE" --read-table >"$E2E_DIR/reader.log" 2>&1 &
pids+=($!)
if [ -n "$OTHER" ]; then
    mkdir -p "$E2E_DIR/other"
    cp "$OTHER" "$E2E_DIR/other/zovodazad"
    cp "$(dirname "$OTHER")/zovodazad-stats" "$E2E_DIR/other/"
    "$E2E_DIR/other/zovodazad" >"$E2E_DIR/other.log" 2>&1 &
    pids+=($!)
fi
E2E_PIDS+=("${pids[@]}")
sleep 5 # start-up done, icons embedded

cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ s += $1 } END { print s }'; }
wakeups=$((ROUND_SECONDS * 2))
for round in $(seq "$ROUNDS"); do
    before=()
    for p in "${pids[@]}"; do before+=($(cpu_ns $p)); done
    sleep "$ROUND_SECONDS"
    used=()
    for k in "${!pids[@]}"; do used+=($(($(cpu_ns ${pids[$k]}) - before[k]))); done
    echo "${used[*]}" >>"$E2E_DIR/rounds"
    awk -v r=$round -v w=$wakeups '{
        printf "round %2d: zovodazad %7.1f us, bare %7.1f us, bare reading the table %7.1f us", r, $1 / w / 1000,
            $2 / w / 1000, $3 / w / 1000
        if (NF > 3) printf ", other build %7.1f us; new / other %.2f", $4 / w / 1000, $1 / $4
        printf "; ratios to bare %.2f and %.2f\n", $1 / $2, $3 / $2 }' <<<"${used[*]}"
done
# median <column> <divisor column>: the median over the rounds of that column's ratio to the other's.
median() {
    awk -v c="$1" -v d="$2" '{ print $c / $d }' "$E2E_DIR/rounds" | sort -g | awk '{ r[NR] = $1 } END {
        printf "%.2f (rounds %.2f to %.2f)", NR % 2 ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2, r[1], r[NR] }'
}
awk -v w=$((ROUNDS * wakeups)) -v m1="$(median 1 2)" -v m3="$(median 3 2)" -v m13="$(median 1 3)" \
    -v m14="$([ -n "$OTHER" ] && median 1 4)" '{ a += $1; b += $2; c += $3; d += $4 } END {
    printf "CPU per 500 ms wake-up over %d wake-ups: zovodazad hidden %.1f us, bare tray %.1f us, bare tray reading the table %.1f us\n", w, a / w / 1000, b / w / 1000, c / w / 1000
    printf "zovodazad / bare: median %s, totals %.2f\n", m1, a / b
    printf "bare reading the table / bare: median %s, totals %.2f\n", m3, c / b
    printf "zovodazad / bare reading the table: median %s, totals %.2f\n", m13, a / c
    if (d > 0) printf "zovodazad / other build (%.1f us): median %s, totals %.2f\n", d / w / 1000, m14, a / d }' \
    "$E2E_DIR/rounds"
