#!/usr/bin/env bash
# Process start to the first tick, with an empty log and with 1,000,000 rows, measured alternately in the same run
# so that both figures see the same machine state. The program logs the figure itself (from the kernel's process
# start time, 10 ms resolution). Runs under Xvfb (no tray host).
# Usage: bench/first_tick.sh <zovodazad executable> [starts per database, default 7]
set -euo pipefail
source "$(dirname "$0")/../tests/e2e/lib.sh" "$1"
RUNS=${2:-7}
WORK=$E2E_DIR
start_desktop notray

# One start: prints the logged first-tick figure in ms, then ends the program with SIGTERM.
start_once() {
    local dir=$1 log="$1/run.log" pid
    "$dir/zovodazad" >"$log" 2>&1 &
    pid=$!
    for _ in $(seq 300); do grep -q 'first tick' "$log" && break; sleep 0.05; done
    kill -TERM $pid
    wait $pid || true
    sed -n 's/.*first tick \([0-9-]*\) ms.*/\1/p' "$log"
}

for kind in empty full; do
    mkdir -p "$WORK/$kind"
    cp "$APP_DIR/zovodazad" "$WORK/$kind/zovodazad"
    start_once "$WORK/$kind" >/dev/null # creates the database
done
sqlite3 "$WORK/full/Zovodazad.mdb" "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 999999)
    INSERT INTO log SELECT datetime('2016-01-01', '+' || (i * 300) || ' seconds'),
    datetime('2016-01-01', '+' || (i * 300 + 300) || ' seconds'), 20000, 900000, 12.5 FROM n"
echo "log rows: $(sqlite3 "$WORK/full/Zovodazad.mdb" 'select count(*) from log'), file: $(du -h "$WORK/full/Zovodazad.mdb" | cut -f1)"

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
for i in $(seq "$RUNS"); do
    start_once "$WORK/empty" >>"$WORK/empty.ms"
    start_once "$WORK/full" >>"$WORK/full.ms"
done
e=$(median <"$WORK/empty.ms")
f=$(median <"$WORK/full.ms")
echo "empty log:       $(tr '\n' ' ' <"$WORK/empty.ms")-> median $e ms"
echo "1,000,000 rows:  $(tr '\n' ' ' <"$WORK/full.ms")-> median $f ms"
awk -v e="$e" -v f="$f" 'BEGIN { printf "ratio: %.2f\n", (e > 0 ? f / e : 0) }'
