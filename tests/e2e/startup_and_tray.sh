#!/usr/bin/env bash
# The real program under a real X server with a tray host that starts after it: until then the monitor window stands
# in for the icon. A single click on the icon does nothing, a double-click shows the window and another hides it;
# Volume Graphs opens the statistics window in a process of its own, once; a right click opens the menu also while About is open; with the database moved away, a launch on its
# old name still reaches the running copy, whose Exit writes its row into the moved file. SIGTERM writes exactly one
# row and ends promptly; a broken database is refused.
source "$(dirname "$0")/lib.sh" "$1"
start_desktop none

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

icon_menu
shot xembed-right-click-menu
# A crash of the charts leaves the monitor running, and closing them gives their memory back.
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
xdotool key a
wait_for 10 xdotool search --onlyvisible --name '^Zovodazad [0-9]+\.[0-9]+$' || fail "About did not open"
wait_for 5 menu_closed || fail "the menu stayed open after About"
[ "$(rows)" = 0 ] || fail "rows written before Exit"
MOVED="$E2E_DIR/moved.mdb"
mv "$DB" "$MOVED"
timeout 10 "$APP_DIR/zovodazad" >"$E2E_DIR/third.log" 2>&1 || fail "a launch on the moved database's old name failed"
kill -0 $APP_PID || fail "the running copy ended"
icon_menu "a right click with About open did not open the menu"
shot xembed-menu-while-about-open

xdotool key x # E&xit by its mnemonic: the open menu holds the keyboard
wait_for 10 app_gone || fail "the process did not end after Exit"
mv "$MOVED" "$DB"
[ "$(rows)" = 1 ] || fail "expected one row after Exit, found $(rows)"

start_app
wait_first_tick
stop_app 1
[ "$(rows)" = 2 ] || fail "expected one more row after SIGTERM, found $(rows)"

# A file that is not a database: the message box, which the user reads or a termination signal ends; the process
# ends, the file is untouched.
printf 'not a database at all' >"$DB"
sum=$(sha256sum "$DB")
for ending in box TERM; do
    start_app
    wait_for 10 xdotool search --onlyvisible --name '^Zovodazad$' || fail "no start-up error box"
    if [ $ending = box ]; then answer_box; else kill -$ending $APP_PID; fi
    wait_for 5 app_gone || fail "the start-up error box outlived $ending"
done
[ "$(sha256sum "$DB")" = "$sum" ] || fail "the broken file was modified"
echo PASS
