#!/usr/bin/env bash
# How soon the statistics window answers, at 1,000,000 log rows, under Xvfb with the trayer tray host: from the
# Volume Graphs command (picked in the icon's menu) to the first chart frame, and from a key that switches the view
# (day, week, month, year) to the first frame of the new view, in 3-D and in 2-D. The window's process logs the time
# of each chart frame and of each key it receives; the time of the command is taken just before xdotool sends its key
# (to the monitor's menu), a switch is timed from its key's arrival, as starting xdotool alone takes 30-50 ms here.
# Usage: [COLD=1] bench/stats_latency.sh <zovodazad executable> [rounds]
# COLD=1 first drops the window's program, its libraries, the OpenGL driver's and the log from the page cache, where
# no running process maps them, so the first open reads them from disk.
# The database is made once and kept beside the executable as bench-1m.mdb.
set -euo pipefail
source "$(dirname "$0")/../tests/e2e/lib.sh" "$1"
ROUNDS=${2:-5}
CACHE="$(dirname "$(readlink -f "$1")")/bench-1m.mdb"
export QT_LOGGING_RULES="$QT_LOGGING_RULES;zovodazad.stats.debug=true"
start_desktop

if [ ! -s "$CACHE" ]; then
    start_app
    wait_db 15
    stop_app 10
    # Ten years of rows, one every 315 seconds up to now, with varied sizes.
    sqlite3 "$DB" "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 999999)
        INSERT INTO log SELECT datetime('now', '-' || (i * 315) || ' seconds'),
        datetime('now', '-' || (i * 315) || ' seconds', '+300 seconds'), (i * 7919) % 5000000, (i * 104729) % 90000000,
        (i % 997) / 10.0 FROM n"
    cp "$DB" "$CACHE"
fi
cp "$CACHE" "$DB"
cat "$DB" >/dev/null # the file in the page cache: the figures are warm ones

now_ms() { date +%s%3N; }
frames() { grep -c "chart frame at" "$E2E_DIR/app.log" || true; }
keys() { grep -c "key at" "$E2E_DIR/app.log" || true; }
# first_frame_after <frames before> <ms | key N>: waits for the next frame and prints how long after <ms>, or after
# the arrival of the window's key number N, it came, and the processor time the window's process spent since the
# frame before (all of it since its start when there was none).
first_frame_after() {
    wait_for 10 sh -c "[ \$(grep -c 'chart frame at' '$E2E_DIR/app.log') -gt $1 ]" || fail "no chart frame"
    [ "$2" != key ] || set -- "$1" "$(grep "key at" "$E2E_DIR/app.log" | sed -n "$3s/.*key at \([0-9]*\) ms.*/\1/p")"
    grep "chart frame at" "$E2E_DIR/app.log" | sed 's/.*chart frame at \([0-9]*\) ms, \([0-9]*\).*/\1 \2/' |
        awk -v n="$1" -v t="$2" 'NR == n { cpu = $2 } NR == n + 1 { print $1 - t, ($2 < cpu ? $2 : $2 - cpu) }'
}
# report <title> <file>: the medians of the wall-clock and processor times, and every wall-clock time.
report() {
    local m
    m() { cut -d' ' -f"$1" "$2" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
    printf '%-34s %5s ms, processor %4s ms  [%s]\n' "$1 ($(wc -l <"$2")):" "$(m 1 "$2")" "$(m 2 "$2")" \
        "$(cut -d' ' -f1 "$2" | tr '\n' ' ')"
}
window() { stats_windows | head -n1; }

open_graphs() {
    local before t
    icon_menu >&2
    before=$(frames)
    t=$(now_ms)
    xdotool key v
    first_frame_after "$before" "$t"
}
# switch <keys...>: the period list has the focus; each key moves it one entry.
switch() {
    local before n key
    for key in "$@"; do
        sleep 0.4
        before=$(frames)
        n=$(($(keys) + 1))
        xdotool key "$key"
        first_frame_after "$before" key "$n"
    done
}

start_app
wait_first_tick
if [ -n "${COLD:-}" ]; then
    python3 - "$APP_DIR/zovodazad-stats" "$DB" $(ldd "$APP_DIR/zovodazad-stats" | awk '/=>/ { print $3 }') \
        /usr/lib/*/dri/swrast_dri.so /usr/lib/*/libLLVM*.so.* /usr/lib/*/libGLX_mesa.so.* <<'PY'
import os, sys
for name in sys.argv[1:]:
    fd = os.open(name, os.O_RDONLY)
    os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)
    os.close(fd)
PY
fi
for round in $(seq "$ROUNDS"); do
    open=$(open_graphs)
    # The first open in this home: nothing of the window's is cached there yet.
    [ "$round" != 1 ] || echo "first open: $open ms"
    echo "$open" >>"$E2E_DIR/open"
    sleep 1
    # Asked again while it runs: rebuilt from the log and brought forward.
    again=$(open_graphs)
    echo "$again" >>"$E2E_DIR/again"
    w=$(window)
    xdotool windowfocus --sync "$w"
    sleep 0.3
    # 3-D: the period list is third in the focus order after the two chart lists and the Stack box.
    xdotool key Tab Tab Tab
    switch Down Down Down Up Up Up >>"$E2E_DIR/switch3d"
    [ -z "${SHOT:-}" ] || [ "$round" != 1 ] || import -window root "${SHOT%.png}-3d.png"
    # 2-D: back to the first list, then its second entry.
    xdotool key shift+Tab shift+Tab shift+Tab Down
    sleep 1
    xdotool key Tab Tab Tab
    switch Down Down Down Up Up Up >>"$E2E_DIR/switch2d"
    [ -z "${SHOT:-}" ] || [ "$round" != 1 ] || import -window root "${SHOT%.png}-2d.png"
    xdotool windowfocus --sync "$w" key alt+o
    wait_for 10 sh -c '[ -z "$(xdotool search --onlyvisible --name "^Zovodazad, Keeps an eye on your downloads")" ]' ||
        fail "the statistics window did not close"
    sleep 1
done
report "open, process not running" "$E2E_DIR/open"
report "open, process running" "$E2E_DIR/again"
report "view switch, 3-D" "$E2E_DIR/switch3d"
report "view switch, 2-D" "$E2E_DIR/switch2d"
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
