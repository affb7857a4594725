#!/usr/bin/env bash
# The notification icon of the real program in a real tray host started after it: a single click does nothing, a
# double-click shows the monitor window and another hides it, a right click opens the command menu, also while
# About is open, and its Exit writes the last row and ends the process.
source "$(dirname "$0")/lib.sh" "$1"
start_desktop none

# The tray host starts after the program, as in a session that starts its programs before its panel; until then
# the monitor window stands in for the icon.
start_app
wait_db
sleep 2
monitor_shown || fail "the monitor window was not shown while there was no tray"
start_tray
hover_icon "no icon in a tray started after the program"
dclick
wait_for 5 monitor_hidden || fail "a double-click on the late icon did not hide the monitor window"
xdotool click 1
sleep 1
monitor_hidden || fail "a single click showed the monitor window"
dclick
wait_for 5 monitor_shown || fail "a double-click did not show the monitor window"
shot xembed-double-click-shows-monitor
dclick
wait_for 5 monitor_hidden || fail "a second double-click did not hide the monitor window"

! menu_shown || fail "a menu is open before the right click"
icon_menu
shot xembed-right-click-menu
[ "$(rows)" = 0 ] || fail "rows written before Exit"

# &Volume Graphs opens the statistics window in a process of its own, so closing it gives its memory back and a
# crash of the charts leaves the monitor running; the command again brings the open window forward, no second one.
xdotool key v
wait_for 10 stats_windows || fail "Volume Graphs did not open the statistics window"
stats_pid=$(xdotool getwindowpid "$(stats_windows | head -n1)")
[ -n "$stats_pid" ] && [ "$stats_pid" != "$APP_PID" ] || fail "the statistics window runs in the monitor's process"
icon_menu "a right click did not open the menu again"
xdotool key v
sleep 1
[ "$(stats_windows | wc -l)" = 1 ] || fail "a second Volume Graphs opened another statistics window"
[ "$(xdotool getwindowpid "$(stats_windows | head -n1)")" = "$stats_pid" ] || fail "the open window was replaced"
kill -SEGV "$stats_pid"
wait_for 5 sh -c "! kill -0 $stats_pid" || fail "the crash did not end the statistics window"
sleep 0.5
kill -0 $APP_PID || fail "a crash of the statistics window ended the monitor"
icon_menu "a right click did not open the menu again"

# &About opens a box that leaves the icon served: its right click still opens the menu.
xdotool key a
wait_for 10 xdotool search --onlyvisible --name '^Zovodazad [0-9]+\.[0-9]+$' || fail "About did not open"
wait_for 5 menu_closed || fail "the menu stayed open after About"
icon_menu "a right click with About open did not open the menu"
shot xembed-menu-while-about-open

# E&xit by its mnemonic: the open menu holds the keyboard.
xdotool key x
wait_for 10 app_gone || fail "the process did not end after Exit"
[ "$(rows)" = 1 ] || fail "expected one row after Exit, found $(rows)"
echo "PASS"
