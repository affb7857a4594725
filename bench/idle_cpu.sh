#!/usr/bin/env bash
# Idle CPU of the hidden program against a bare Qt program with a tray icon and a 500 ms timer (bench/bare_tray.cpp),
# both run side by side under Xvfb with the trayer tray host, so both see the same machine state. CPU time is the
# kernel's per-thread run time (/proc/<pid>/task/*/schedstat, nanoseconds), summed over every thread.
# Usage: bench/idle_cpu.sh <zovodazad executable> <bare_tray executable> [seconds, default 60]
set -euo pipefail
BIN=$(readlink -f "$1")
BARE=$(readlink -f "$2")
SECONDS_RUN=${3:-60}
WORK=$(mktemp -d /tmp/zovo-idlecpu.XXXXXX)
PIDS=()
trap '[ $BASHPID = $$ ] && { kill "${PIDS[@]}" 2>/dev/null; rm -rf "$WORK"; }' EXIT
exec 5>"$WORK/display"
Xvfb -displayfd 5 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
PIDS+=($!)
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$WORK/display")" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$WORK/runtime" HOME="$WORK"
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
trayer --edge bottom --align right --widthtype pixel --width 120 --height 24 --transparent false >/dev/null 2>&1 &
PIDS+=($!)
sleep 2

mkdir -p "$WORK/app"
cp "$BIN" "$WORK/app/zovodazad"
"$WORK/app/zovodazad" >"$WORK/app.log" 2>&1 &
app=$!
PIDS+=($app)
"$BARE" >"$WORK/bare.log" 2>&1 &
bare=$!
PIDS+=($bare)
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
