#!/usr/bin/env bash
# User-space instructions and system calls per 500 ms wake-up of the hidden program, of the bare tray program
# (bench/bare_tray.cpp) and of the bare program reading the interface table, each counted on its own under Xvfb with
# trayer. Unlike CPU time, neither count depends on what else the machine is doing.
# Usage: bench/idle_instructions.sh <zovodazad executable> <bare_tray executable> [seconds, default 20]
set -euo pipefail
BARE=$(readlink -f "$2")
SECONDS_RUN=${3:-20}
source "$(dirname "$0")/../tests/e2e/lib.sh" "$1"
for tool in valgrind callgrind_control strace; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
start_desktop

# count <name> <command...>: instructions from callgrind, switched on once start-up is over, then system calls.
count() {
    local name=$1
    shift
    valgrind --tool=callgrind --instr-atstart=no --callgrind-out-file="$E2E_DIR/$name.out" "$@" \
        >"$E2E_DIR/$name.log" 2>&1 &
    local pid=$!
    E2E_PIDS+=($pid)
    sleep 15
    callgrind_control -i on $pid >/dev/null 2>&1
    sleep "$SECONDS_RUN"
    callgrind_control -i off $pid >/dev/null 2>&1 # the exit is not an idle wake-up
    kill $pid
    wait $pid 2>/dev/null || true
    local instructions
    instructions=$(awk '/^totals:/ { print $2 }' "$E2E_DIR/$name.out")

    "$@" >"$E2E_DIR/$name.strace.log" 2>&1 &
    pid=$!
    E2E_PIDS+=($pid)
    sleep 5
    timeout -s INT "$SECONDS_RUN" strace -c -f -p $pid -o "$E2E_DIR/$name.syscalls" 2>/dev/null || true
    kill $pid
    wait $pid 2>/dev/null || true
    local calls
    calls=$(awk '$NF == "total" { print $4 }' "$E2E_DIR/$name.syscalls")
    awk -v n="$name" -v i="$instructions" -v c="$calls" -v t=$((SECONDS_RUN * 2)) 'BEGIN {
        printf "%s: %.0f instructions, %.1f system calls per wake-up\n", n, i / t, c / t }'
    sed -n '3,20p' "$E2E_DIR/$name.syscalls" | awk 'NF >= 5 && $NF != "total" && $NF !~ /^-/ { printf "    %s %s\n", $NF, $4 }'
}

count zovodazad "$APP_DIR/zovodazad"
count bare_tray "$BARE"
count bare_tray_reading_the_table "$BARE" --read-table
[ -z "${KEEP_PROFILE:-}" ] || cp "$E2E_DIR"/*.out "$KEEP_PROFILE"/
