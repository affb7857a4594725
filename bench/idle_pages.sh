#!/usr/bin/env bash
# Memory pages touched by one 500 ms wake-up of the hidden program, of the bare tray program (bench/bare_tray.cpp)
# and of the bare program reading the interface table, side by side under Xvfb with trayer. On a virtual machine
# with shadow paging a page first touched after half a second asleep costs about a microsecond, against a hundredth
# of that warm, so this count, unlike CPU time, tells what a wake-up costs without the machine's noise.
# Each program gets private copies of its libraries, so only its own use marks their pages. A window opens a
# quarter second before a tick (the timers wake on the half second) and closes a quarter second after it; the
# kernel's referenced bits, cleared as it opens, count the pages of that one wake-up. Every second wake-up also
# refreshes the tray tooltip, so odd and even wake-ups are reported apart; each figure is the median of its kind.
# Usage: bench/idle_pages.sh <zovodazad executable> <bare_tray executable> [wake-ups, default 20]
set -euo pipefail
BARE=$(readlink -f "$2")
WAKEUPS=${3:-20}
source "$(dirname "$0")/../tests/e2e/lib.sh" "$1"
[ "$(id -u)" = 0 ] || { echo "SKIP: clearing another process's referenced bits needs root"; exit 77; }
start_desktop

QT_PLUGINS=$(dirname "$(find /usr/lib -path '*qt6/plugins/platforms/libqxcb.so' | head -n1)")/..
# private <dir> <command...>: runs the command with its own copy of every library and Qt plugin it may load.
private() {
    local dir=$1
    shift
    mkdir -p "$dir/lib"
    cp -r "$QT_PLUGINS" "$dir/plugins"
    find "$dir/plugins" -name '*.so' -exec ldd {} + | cat - <(ldd "$1") | awk '/=> \// { print $3 }' | sort -u |
        grep -v ld-linux | xargs -I{} cp -L {} "$dir/lib/"
    LD_LIBRARY_PATH="$dir/lib" QT_PLUGIN_PATH="$dir/plugins" "$@" >"$dir/log" 2>&1 &
    pids+=($!)
    E2E_PIDS+=($!)
}
pids=()
cp "$BARE" "$E2E_DIR/bare_tray"
private "$E2E_DIR/p0" "$APP_DIR/zovodazad"
private "$E2E_DIR/p1" "$E2E_DIR/bare_tray"
private "$E2E_DIR/p2" "$E2E_DIR/bare_tray" --read-table
sleep 8 # start-up done, icons embedded

# pages <pid>: referenced pages by group: the program, its Qt libraries, its other libraries, and its data (heap,
# stack, anonymous memory).
pages() {
    awk -v dir="$E2E_DIR" '/^[0-9a-f]+-[0-9a-f]+ / {
            n = $6
            if (n == "" || n ~ /^\[(heap|stack|anon)/) g = "data"
            else if (index(n, dir) != 1) g = ""
            else if (n ~ /libQt6/) g = "Qt"
            else if (n ~ /\/(zovodazad|bare_tray)$/) g = "program"
            else g = "libraries"
        }
        /^Referenced:/ && g != "" { p[g] += $2 / 4; p["total"] += $2 / 4 }
        END { for (g in p) printf "%s=%d\n", g, p[g] }' /proc/"$1"/smaps
}
names=(zovodazad bare_tray bare_tray_reading_the_table)
for w in $(seq "$WAKEUPS"); do
    # To a quarter past the half second.
    sleep "$(awk -v n="$(date +%N)" 'BEGIN { t = (750000000 - n) % 500000000; if (t < 0) t += 500000000; print t / 1e9 }')"
    for p in "${pids[@]}"; do echo 1 >/proc/"$p"/clear_refs; done
    sleep 0.5
    for k in 0 1 2; do pages "${pids[$k]}" | sed "s/^/${names[$k]} $((w % 2)) /" >>"$E2E_DIR/pages"; done
done
# The median over the windows of each program, kind of wake-up and group.
for k in 0 1 2; do
    for half in 0 1; do
        awk -v n="${names[$k]}" -v h=$half '$1 == n && $2 == h { split($3, kv, "="); print kv[1] "\t" kv[2] }' \
            "$E2E_DIR/pages" | sort -t$'\t' -k1,1 -k2,2n |
            awk -F'\t' -v n="${names[$k]}" -v h=$half '
                { v[$1, ++c[$1]] = $2 }
                END { printf "%s, %s wake-ups:", n, h ? "odd" : "even"
                      for (g in c) printf " %s %d;", g, v[g, int((c[g] + 1) / 2)]
                      print "" }'
    done
done
