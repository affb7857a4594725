#!/usr/bin/env bash
# The program on a StatusNotifierItem tray, Xfce's panel in its own D-Bus session: the panel starts 5 s after the
# program and still gets the item, also after a restart; the menu reaches the panel over D-Bus with the seven
# commands, answers every call at once and opens on a right click; a click on the item hides the monitor window, the
# two activations of a double-click show it once; Exit chosen through the menu writes the last row and ends the process.
SESSION_TOOLS=(xfce4-panel)
source "$(dirname "$0")/own_session.sh"
source "$(dirname "$0")/lib.sh" "$1"
SNI="$(dirname "$0")/sni.py"
start_desktop none

start_panel() {
    xfce4-panel --disable-wm-check >>"$E2E_DIR/panel.log" 2>&1 &
    PANEL_PID=$!
    E2E_PIDS+=($PANEL_PID)
    wait_for 15 "$SNI" host || fail "the panel did not start"
}
item_registered() { "$SNI" items; }
# The panel's pop-up menus are unmanaged windows of the panel or of the process that hosts its tray plugin.
panel_menu_shown() { tall_popup $(xwininfo -root -children | awk '/\("(xfce4-panel|wrapper-2\.0)" "/ {print $1}'); }
panel_menu_closed() { ! panel_menu_shown; }

# A session that starts its programs before its panel: the window stands in for the icon until the panel comes.
start_app
wait_db
wait_for 5 monitor_shown || fail "without a tray the monitor window is not shown"
sleep 5
start_panel
wait_for 10 item_registered || fail "the item did not register with a panel started 5 s late"
shot sni-late-panel-gets-icon
# A restarted panel gets the item again.
kill "$PANEL_PID"
wait "$PANEL_PID" 2>/dev/null || true
start_panel
wait_for 10 item_registered || fail "the item did not register again after the panel restarted"

# The host reads the hover text over D-Bus: the name first, then the rates, refreshed while the program runs.
wait_for 5 sh -c "'$SNI' tooltip | grep 'Download: '" || fail "the item's tooltip is: $("$SNI" tooltip)"
[ "$("$SNI" tooltip | head -n1)" = Zovodazad ] || fail "the item's tooltip does not start with the name"

layout=$("$SNI" layout)
expected=$'Monitor _Off.\nO_ptions\n_Volume Graphs\n_Reset Counters.\n_About\n-\nE_xit'
[ "$layout" = "$expected" ] || fail "the menu over D-Bus is: $layout"
# A property's value, or an error for an item or a property the menu lacks; never a caller left waiting.
answers=$("$SNI" property O_ptions label && "$SNI" property none label && "$SNI" property O_ptions none)
[ "$answers" = $'O_ptions\norg.freedesktop.DBus.Error.InvalidArgs\norg.freedesktop.DBus.Error.InvalidArgs' ] ||
    fail "the menu's GetProperty answered: $answers"

# On screen: the panel draws the item. A left click there is an activation: it hides the window, and the menu
# follows; a double-click's two activations toggle once.
read -r px py pw ph <<<"$(xwininfo -root -tree | awk '/\("xfce4-panel" "Xfce4-panel"\)/ {
    split($(NF-1), s, "x"); split(s[2], h, "+"); if (s[1] > 12) { split($NF, p, "+"); print p[2], p[3], s[1], h[1]; exit } }')"
[ -n "$px" ] || fail "no panel on screen"
xdotool mousemove $((px + pw / 2)) $((py + ph / 2))
sleep 2
shot sni-tooltip
xdotool click 1
wait_for 5 monitor_hidden || fail "a click on the item did not hide the monitor window"
layout=$("$SNI" layout)
[ "${layout%%$'\n'*}" = "Monitor _On." ] || fail "the menu did not follow the window's state: $layout"
sleep 1
dclick
wait_for 5 monitor_shown || fail "a double-click on the item did not show the monitor window"
sleep 1
monitor_shown || fail "a double-click on the item toggled twice"
shot sni-activation-shows-monitor
# A right click opens the program's menu, whose first item hides the window.
xdotool click 3
wait_for 5 panel_menu_shown || fail "a right click on the item did not open a menu"
shot sni-right-click-menu
xdotool key Down Return
wait_for 5 monitor_hidden || fail "the menu's first item did not hide the monitor window"
wait_for 5 panel_menu_closed || fail "the menu stayed open"

[ "$(rows)" = 0 ] || fail "rows written before Exit"
"$SNI" click "E_xit"
wait_for 10 app_gone || fail "the process did not end after Exit"
[ "$(rows)" = 1 ] || fail "expected one row after Exit, found $(rows)"
echo "PASS"
