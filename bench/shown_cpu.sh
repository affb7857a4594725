#!/usr/bin/env bash
# CPU and wake-ups of the program with its monitor window shown, against the bare tray program (bench/bare_tray.cpp),
# side by side under Xvfb with trayer, in three states a round: a steady 10 MB/s over loopback, which both copies
# count; no traffic just after it, while the graphs still scroll the traffic's bars out of sight; and the link idle
# for longer than the graphs hold (50 s at 100 %), their pictures empty. With a second build of the program (say, the
# one before a change), that runs beside them too, in a folder of its own, its window shown elsewhere on the screen.
# CPU time is the kernel's run time of every thread (/proc/<pid>/task/*/schedstat); wake-ups are the context
# switches of every thread (voluntary: it slept; forced: it was preempted), from /proc/<pid>/task/*/status. The
# figure is the median over the rounds of each round's ratio to the bare program.
# Usage: bench/shown_cpu.sh <zovodazad> <bare_tray> [rounds, default 10] [seconds a state, 15] [other zovodazad]
set -euo pipefail
BARE=$(readlink -f "$2")
ROUNDS=${3:-10}
STATE_SECONDS=${4:-15}
OTHER=${5:+$(readlink -f "$5")}
source "$(dirname "$0")/../tests/e2e/lib.sh" "$1"
start_desktop
echo "load before: $(uptime)"

# count_loopback <folder>: the copy there, started once to make its database, then set to count loopback.
count_loopback() {
    start_app "$1/zovodazad"
    wait_for 15 test -s "$1/Zovodazad.mdb" || fail "no database in $1"
    stop_app 10
    sqlite3 "$1/Zovodazad.mdb" "insert into settings values ('Adapter0', 'lo')"
}
# run_shown <folder>: the copy there, its window brought up by a second start.
run_shown() {
    start_app "$1/zovodazad"
    wait_first_tick
    "$1/zovodazad" >>"$E2E_DIR/second-start.log" 2>&1
    wait_for 10 monitor_shown || fail "the window of $1 did not show"
}

folders=("$APP_DIR")
if [ -n "$OTHER" ]; then
    folders+=("$E2E_DIR/other")
    mkdir -p "$E2E_DIR/other"
    cp "$OTHER" "$(dirname "$OTHER")/zovodazad-stats" "$E2E_DIR/other/"
fi
pids=()
for folder in "${folders[@]}"; do
    count_loopback "$folder"
    run_shown "$folder"
    pids+=($APP_PID)
done
# The second copy's window stands clear of the first one's.
if [ -n "$OTHER" ]; then
    for w in $(xdotool search --onlyvisible --pid "${pids[1]}" --class zovodazad); do
        xdotool windowmove "$w" 100 100
    done
fi
"$BARE" >"$E2E_DIR/bare.log" 2>&1 &
pids+=($!)
E2E_PIDS+=($!)

# The sender: 100,000 bytes every 10 ms over loopback while the file "sending" exists.
python3 - "$E2E_DIR/sending" >"$E2E_DIR/sender.log" 2>&1 <<'PY' &
import os, socket, sys, threading, time
server = socket.socket(); server.bind(("127.0.0.1", 0)); server.listen(1)
client = socket.create_connection(server.getsockname()); peer, _ = server.accept()
threading.Thread(target=lambda: [None for _ in iter(lambda: peer.recv(1 << 20), b"")], daemon=True).start()
block = bytes(100000)
due = time.monotonic()
while True:
    if os.path.exists(sys.argv[1]):
        client.sendall(block)
    due = max(due + 0.01, time.monotonic() - 0.05)  # after a pause, carry on at the rate rather than catch up
    time.sleep(max(0, due - time.monotonic()))
PY
E2E_PIDS+=($!)
sleep 3 # start-up done, icons embedded

# sample <pid>: run time in ns, voluntary and forced context switches, summed over the threads.
sample() {
    cat /proc/"$1"/task/*/schedstat | awk '{ s += $1 } END { printf "%d ", s }'
    cat /proc/"$1"/task/*/status | awk '/^voluntary_ctxt/ { v += $2 } /^nonvoluntary_ctxt/ { n += $2 }
        END { printf "%d %d ", v, n }'
}
states=("no traffic" "10 MB/s" "idle")
for round in $(seq "$ROUNDS"); do
    for state in 1 0 2; do
        [ $state = 1 ] && touch "$E2E_DIR/sending" || rm -f "$E2E_DIR/sending"
        sleep 1 # the rate settles
        # The graphs hold 100 bars: idle, the last traffic has scrolled out.
        [ $state = 2 ] && sleep $((52 - STATE_SECONDS > 0 ? 52 - STATE_SECONDS : 0))
        before=()
        for p in "${pids[@]}"; do before+=($(sample $p)); done
        sleep "$STATE_SECONDS"
        after=()
        for p in "${pids[@]}"; do after+=($(sample $p)); done
        line="$state"
        for k in "${!before[@]}"; do line+=" $((after[k] - before[k]))"; done
        echo "$line" >>"$E2E_DIR/rounds"
        # Columns: state, then per program (zovodazad, [other], bare) run time, voluntary and forced switches.
        awk -v r=$round -v s="${states[$state]}" -v t=$STATE_SECONDS '{
            n = (NF - 1) / 3; b = 2 + 3 * (n - 1)
            printf "round %2d, %-10s: zovodazad %6.1f us/s, %4.1f + %4.1f wake-ups/s", r, s, $2 / t / 1000,
                $3 / t, $4 / t
            if (n > 2) printf "; other build %6.1f us/s, %4.1f + %4.1f", $5 / t / 1000, $6 / t, $7 / t
            printf "; bare %6.1f us/s, %4.1f + %4.1f; zovodazad / bare %.2f\n", $b / t / 1000, $(b + 1) / t,
                $(b + 2) / t, $2 / $b }' <<<"$line"
    done
done
rm -f "$E2E_DIR/sending"

# report <state> <column> <name>: that program's means per second and the median of its rounds' ratios to bare.
report() {
    awk -v s=$1 -v c=$2 -v name="$3" -v t=$STATE_SECONDS '$1 == s {
        n = (NF - 1) / 3; b = 2 + 3 * (n - 1)
        k++; cpu += $c; vol += $(c + 1); forced += $(c + 2); bare += $b; r[k] = $c / $b }
        END {
        for (i = 2; i <= k; i++) for (j = i; j > 1 && r[j - 1] > r[j]; j--) { x = r[j]; r[j] = r[j - 1]; r[j - 1] = x }
        m = k % 2 ? r[(k + 1) / 2] : (r[k / 2] + r[k / 2 + 1]) / 2
        printf "  %-9s %7.1f us/s, %4.1f voluntary + %4.1f forced wake-ups/s; / bare: median %.2f (rounds %.2f to %.2f), totals %.2f\n",
            name, cpu / k / t / 1000, vol / k / t, forced / k / t, m, r[1], r[k], cpu / bare }' "$E2E_DIR/rounds"
}
for state in 0 1 2; do
    echo "${states[$state]}, $ROUNDS rounds of $STATE_SECONDS s:"
    report $state 2 zovodazad
    if [ -n "$OTHER" ]; then
        report $state 5 "other"
        report $state 8 bare
    else
        report $state 5 bare
    fi
done
echo "load after: $(uptime)"
