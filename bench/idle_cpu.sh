#!/usr/bin/env bash
# Idle CPU of the hidden program against a bare Qt program with a tray icon and a 500 ms timer (bench/bare_tray.cpp),
# both run side by side under Xvfb with the trayer tray host, so both see the same machine state. CPU time is the
# kernel's per-thread run time (/proc/<pid>/task/*/schedstat, nanoseconds), summed over every thread.
# Usage: bench/idle_cpu.sh <zovodazad executable> <bare_tray executable> [seconds, default 60]
set -euo pipefail
BARE=$(readlink -f "$2")
SECONDS_RUN=${3:-60}
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
switches() { cat /proc/"$1"/task/*/status | awk '/ctxt_switches/ { s += $2 } END { print s }'; }
a0=$(cpu_ns $app); b0=$(cpu_ns $bare); as0=$(switches $app); bs0=$(switches $bare)
sleep "$SECONDS_RUN"
a1=$(cpu_ns $app); b1=$(cpu_ns $bare); as1=$(switches $app); bs1=$(switches $bare)
ticks=$((SECONDS_RUN * 2))
awk -v a=$((a1 - a0)) -v b=$((b1 - b0)) -v t=$ticks -v as=$((as1 - as0)) -v bs=$((bs1 - bs0)) 'BEGIN {
    printf "zovodazad hidden: %.1f us CPU per 500 ms wake-up (%d context switches)\n", a / t / 1000, as
    printf "bare tray + timer: %.1f us CPU per 500 ms wake-up (%d context switches)\n", b / t / 1000, bs
    printf "ratio: %.2f\n", a / b }'
