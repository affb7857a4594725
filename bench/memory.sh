#!/usr/bin/env bash
# Resident memory (VmRSS) of the program hidden in a tray, with the statistics window open, and 5 s after that window
# was closed, under Xvfb with the trayer tray host. The window is opened from the icon's menu and closed with its
# OK button, as a user would. The statistics window's own process, when it has one, is reported separately.
# Usage: [SHOT=file.png] bench/memory.sh <zovodazad executable>
# (the files beside it named zovodazad* are copied with it; SHOT saves the screen with the window open)
set -euo pipefail
source "$(dirname "$0")/../tests/e2e/lib.sh" "$1"
cp "$(dirname "$(readlink -f "$1")")"/zovodazad* "$APP_DIR/" 2>/dev/null || true
start_desktop

rss() { awk '/VmRSS/ { print $2 }' /proc/"$1"/status; }
stats_window() { xdotool search --onlyvisible --name '^Zovodazad, Keeps an eye on your downloads' | head -n1; }

start_app
wait_for 15 icon_embedded || fail "no icon in the tray"
# Two years of hourly rows, so every chart has something to draw.
sqlite3 "$DB" "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 17519)
    INSERT INTO log SELECT datetime('now', '-' || i || ' hours'), datetime('now', '-' || i || ' hours', '+1 hour'),
    1e6 + (i % 97) * 1e4, 2e7 + (i % 89) * 1e5, 50 FROM n"
sleep 5
hidden=$(rss $APP_PID)
read -r ICON_X ICON_Y <<<"$(icon_centre)"
xdotool mousemove "$ICON_X" "$ICON_Y"
sleep 0.3
xdotool click 3
wait_for 5 menu_shown || fail "no menu"
xdotool key v
wait_for 15 stats_window || fail "no statistics window"
sleep 3
window=$(stats_window)
window_pid=$(xdotool getwindowpid "$window")
[ -z "${SHOT:-}" ] || import -window root "$SHOT"
open=$(rss $APP_PID)
[ "$window_pid" = "$APP_PID" ] && window_rss=0 || window_rss=$(rss "$window_pid")
xdotool windowfocus --sync "$window" key alt+o
wait_for 10 sh -c '! xdotool search --onlyvisible --name "^Zovodazad, Keeps an eye on your downloads"' ||
    fail "the statistics window did not close"
sleep 5
closed=$(rss $APP_PID)
echo "hidden:                    $hidden kB"
echo "statistics window open:    $open kB (its own process: $window_rss kB)"
echo "5 s after it closed:       $closed kB ($(((closed - hidden))) kB above hidden)"
