#!/usr/bin/env bash
# The program beside Xfce's panel, a StatusNotifierItem host, under a window manager that frames it (xfwm4), in a
# D-Bus session of its own. The item's tooltip reaches the panel and its menu answers every call at once; a click on
# the item hides the monitor window, the two activations of a double-click show it once, a right click opens the
# program's menu. The window meets the panel at first show; the panel ending while the window is hidden brings the
# window with every command, and its return the item and the hidden window; minimised by the window manager, a second
# launch brings it back on top, the launch answered; a spot the user drags it to comes back at the next start, a move
# made by the window manager is not kept; Volume Graphs brings the statistics window to the front while another
# window has the focus; Plasma turning dark while it runs darkens the shown window at once.
SESSION_TOOLS=(xfce4-panel xfwm4 xmessage xev import dbus-send)
SESSION_MODULES=(dbus)
# The panel's layout and the window manager's settings from the folder beside this file.
SESSION_ENV=(XDG_CONFIG_DIRS="$(cd "$(dirname "$0")" && pwd)/xfce" NO_AT_BRIDGE=1)
source "$(dirname "$0")/own_session.sh"
source "$(dirname "$0")/lib.sh" "$1"
SNI="$(dirname "$0")/sni.py"
start_desktop none
xfwm4 >>"$E2E_DIR/xfwm4.log" 2>&1 &
E2E_PIDS+=($!)
wait_for 10 sh -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'" || fail "xfwm4 did not start"

start_panel() {
    xfce4-panel >>"$E2E_DIR/panel.log" 2>&1 &
    PANEL_PID=$!
    E2E_PIDS+=($PANEL_PID)
    wait_for 15 "$SNI" host || fail "the panel did not start"
}
item_registered() { "$SNI" items; }
# The panel's pop-up menus are unmanaged windows of the panel or of the process that hosts its tray plugin.
panel_menu_shown() { tall_popup $(xwininfo -root -children | awk '/\("(xfce4-panel|wrapper-2\.0)" "/ {print $1}'); }
panel_menu_closed() { ! panel_menu_shown; }
toggle_caption() { "$SNI" layout | head -n1; }

on_top() { xprop -id "$(monitor)" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE; }
active() { xprop -root _NET_ACTIVE_WINDOW | grep -qi "$(printf '0x%x' "$1")"; }
# frame <window>: the frame the window manager draws around it, as "x y width height".
frame() {
    local info l r t b
    info=$(xwininfo -id "$1")
    read -r l r t b <<<"$(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')"
    awk -v l="$l" -v r="$r" -v t="$t" -v b="$b" '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
        /Width:/ {w = $2} /Height:/ {h = $2} END {print x - l, y - t, w + l + r, h + t + b}' <<<"$info"
}
work_bottom() { xprop -root _NET_WORKAREA | sed 's/.*= //; s/,//g' | awk '{print $2 + $4}'; }
stored() { sqlite3 "$DB" "select group_concat(Settingvalue, ' ') from settings where settingname in ('monitorleft', 'monitortop')"; }
restart_app() {
    stop_app
    start_app
    wait_for 10 item_registered || fail "no item after a restart"
}
# A property set on the root window reaches xev once it listens there.
xev_listens() {
    xprop -root -f _ZOVO_E2E_READY 8s -set _ZOVO_E2E_READY 1
    grep -q _ZOVO_E2E_READY "$E2E_DIR/xev.log"
}
show_from_menu() {
    "$SNI" click "Monitor _On."
    wait_for 5 monitor_shown || fail "${1:-Monitor On. did not show the window}"
}

start_panel
start_app
wait_db
wait_for 10 item_registered || fail "the item did not register"
monitor_hidden || fail "the monitor window is shown at start beside a panel"

# At first show the frame meets the panel, also with the volume-left line.
sqlite3 "$DB" "insert into settings values ('whatsleft', '1')"
restart_app
show_from_menu
read -r _ y _ h <<<"$(frame "$(monitor)")"
[ $((y + h)) = "$(work_bottom)" ] || fail "the frame ends at $((y + h)), the panel starts at $(work_bottom)"
shot framed-first-show-meets-panel

# The panel reads the hover text over D-Bus: the name first, then the rates.
wait_for 5 sh -c "'$SNI' tooltip | grep 'Download: '" || fail "the item's tooltip is: $("$SNI" tooltip)"
[ "$("$SNI" tooltip | head -n1)" = Zovodazad ] || fail "the item's tooltip does not start with the name"
# The menu answers a property's value, or an error for an item or a property it lacks; never a caller left waiting.
answers=$("$SNI" property O_ptions label && "$SNI" property none label && "$SNI" property O_ptions none)
[ "$answers" = $'O_ptions\norg.freedesktop.DBus.Error.InvalidArgs\norg.freedesktop.DBus.Error.InvalidArgs' ] ||
    fail "the menu's GetProperty answered: $answers"
# On screen: a left click on the item is an activation, which hides the window; a double-click's two toggle once.
read -r px py pw ph <<<"$(xwininfo -root -tree | awk '/\("xfce4-panel" "Xfce4-panel"\)/ {
    split($(NF-1), s, "x"); split(s[2], h, "+"); if (s[1] > 12) { split($NF, p, "+"); print p[2], p[3], s[1], h[1]; exit } }')"
[ -n "$px" ] || fail "no panel on screen"
xdotool mousemove $((px + pw / 2)) $((py + ph / 2)) click 1
wait_for 5 monitor_hidden || fail "a click on the item did not hide the monitor window"
sleep 1
dclick
wait_for 5 monitor_shown || fail "a double-click on the item did not show the monitor window"
sleep 1
monitor_shown || fail "a double-click on the item toggled twice"
# A right click opens the program's menu, whose first item hides the window.
xdotool click 3
wait_for 5 panel_menu_shown || fail "a right click on the item did not open a menu"
shot sni-right-click-menu
xdotool key Down Return
wait_for 5 monitor_hidden || fail "the menu's first item did not hide the monitor window"
wait_for 5 panel_menu_closed || fail "the menu stayed open"

# The panel ends: the hidden window stands in for the icon, every command on its menu (Options by its mnemonic).
kill "$PANEL_PID"
wait "$PANEL_PID" 2>/dev/null || true
wait_for 5 monitor_shown || fail "the window did not show when the panel ended"
read -r x y w h <<<"$(frame "$(monitor)")"
xdotool mousemove $((x + w / 2)) $((y + h - 20)) click 3
wait_for 5 menu_shown || fail "a right click on the window did not open its menu"
xdotool key p
wait_for 5 xdotool search --onlyvisible --name '^Options\.$' || fail "the window's menu has no Options without a panel"
shot framed-no-panel-every-command
xdotool key Return
start_panel
wait_for 10 item_registered || fail "the item did not come back with the panel"
wait_for 5 monitor_hidden || fail "the window stayed up once the panel was back"

# Minimised by the window manager anyway: it counts as hidden, and a second launch brings it back on top.
show_from_menu
xprop -id "$(monitor)" _NET_WM_ALLOWED_ACTIONS | grep -q MINIMIZE && fail "the window manager offers to minimise the window"
xdotool windowminimize "$(monitor)"
wait_for 5 monitor_hidden || fail "xfwm4 did not minimise the window"
wait_for 5 sh -c "'$SNI' layout | head -n1 | grep -q 'Monitor _On.'" || fail "the menu says $(toggle_caption) for a minimised window"
# Started from a launcher, which shows a busy cursor until the launch is said to be answered.
xev -root -event property >"$E2E_DIR/xev.log" 2>&1 &
E2E_PIDS+=($!)
wait_for 5 xev_listens || fail "xev did not start"
DESKTOP_STARTUP_ID="e2e-launcher-1_TIME0" timeout 10 "$APP_DIR/zovodazad" >"$E2E_DIR/second.log" 2>&1 ||
    fail "the second launch failed"
wait_for 5 monitor_shown || fail "a second launch did not bring the minimised window back"
wait_for 5 active "$(monitor)" || fail "a second launch left the window inactive"
wait_for 5 grep -q _NET_STARTUP_INFO_BEGIN "$E2E_DIR/xev.log" || fail "the second launch was never answered"
on_top || fail "the window came back without keep-above"

# A spot the user drags the window to comes back at the next start, the frame just where it was left.
read -r x y _ _ <<<"$(frame "$(monitor)")"
xdotool mousemove $((x + 60)) $((y + 10)) mousedown 1
for step in $(seq 10); do
    xdotool mousemove $((x + 60 - step * 40)) $((y + 10 - step * 30))
    sleep 0.03
done
xdotool mouseup 1
read -r left top _ _ <<<"$(frame "$(monitor)")"
wait_for 5 sh -c "[ \"\$(sqlite3 '$DB' \"select group_concat(Settingvalue, ' ') from settings where settingname in ('monitorleft', 'monitortop')\")\" = '$left $top' ]" ||
    fail "the user's spot $left $top was stored as $(stored)"
restart_app
show_from_menu
read -r x y _ _ <<<"$(frame "$(monitor)")"
[ "$x $y" = "$left $top" ] || fail "the next start put the frame at $x $y, the user left it at $left $top"
# A move the window manager makes on its own is not the user's.
xdotool windowmove "$(monitor)" 300 200
"$SNI" click "Monitor _Off."
wait_for 5 monitor_hidden || fail "Monitor Off. did not hide the window"
[ "$(stored)" = "$left $top" ] || fail "a move by the window manager was stored: $(stored)"

# Another window has the focus; Volume Graphs opens the statistics window in front of it, stamped with the time of
# the request, which is what keeps stricter window managers (GNOME's) from opening it behind; and again once it runs.
xmessage -geometry +100+100 "another program" &
E2E_PIDS+=($!)
wait_for 5 xdotool search --onlyvisible --name '^xmessage$' || fail "no other window"
other=$(xdotool search --onlyvisible --name '^xmessage$' | head -n1)
for open in first again; do
    xdotool windowactivate --sync "$other" 2>/dev/null || true
    read -r x y _ _ <<<"$(frame "$other")"
    xdotool mousemove $((x + 30)) $((y + 40)) click 1
    wait_for 5 active "$other" || fail "the other window did not take the focus"
    "$SNI" click "_Volume Graphs"
    wait_for 10 stats_windows || fail "Volume Graphs did not open the statistics window"
    stats=$(stats_windows | head -n1)
    wait_for 10 active "$stats" || fail "the statistics window opened ($open) behind the focused window"
    timewin=$(xprop -id "$stats" _NET_WM_USER_TIME_WINDOW | awk '/window id/ {print $NF}')
    xprop -id "${timewin:-$stats}" _NET_WM_USER_TIME | grep -q '= [1-9]' || fail "the statistics window carries no user time"
done
shot framed-volume-graphs-in-front

# Plasma switches to Breeze Dark while the program runs: it rewrites kdeglobals and says so on the session bus.
brightness() { import -window "$(monitor)" -colorspace gray -format '%[fx:int(100 * mean)]' info:; }
stop_app
XDG_CURRENT_DESKTOP=KDE start_app
wait_for 10 item_registered || fail "no item after a restart"
show_from_menu
light=$(brightness)
[ "$light" -gt 60 ] || fail "the window starts dark ($light % bright) in a light desktop"
printf '%s\n' '[Colors:Window]' 'BackgroundNormal=42,46,50' 'ForegroundNormal=252,252,252' '[Colors:View]' \
    'BackgroundNormal=27,30,32' 'ForegroundNormal=252,252,252' >"${XDG_CONFIG_HOME:-$HOME/.config}/kdeglobals"
dbus-send --session --type=signal /KGlobalSettings org.kde.KGlobalSettings.notifyChange int32:0 int32:0
wait_for 5 sh -c "[ \$(import -window $(monitor) -colorspace gray -format '%[fx:int(100 * mean)]' info:) -lt 40 ]" ||
    fail "the window stayed $(brightness) % bright after the desktop turned dark (was $light %)"
shot framed-dark-palette-live

echo "PASS"
