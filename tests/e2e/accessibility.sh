#!/usr/bin/env bash
# Screen readers find each control of the monitor window and of Options by its role and name over AT-SPI, and the
# graphs tell their rates. The tree is kept beside the screenshots, for a person to read. (Qt leaves pop-up menus
# out of the tree and announces them as they open; the unit tests check what the menu tells.)
# The accessibility bus and its registry keep their sockets and settings in the session's scratch home.
[ -n "${ZOVO_E2E_BUS:-}" ] || [ -x /usr/libexec/at-spi-bus-launcher ] || { echo "SKIP: at-spi2-core is not installed"; exit 77; }
SESSION_MODULES=(pyatspi)
source "$(dirname "$0")/own_session.sh"
source "$(dirname "$0")/lib.sh" "$1"
ATSPI="$(dirname "$0")/atspi.py"
# A program finds the accessibility bus that runs when it starts, as on a desktop where assistive technology is on.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null ||
    fail "no accessibility bus"
start_desktop
start_app
icon_menu
xdotool key o
wait_for 10 monitor_shown || fail "Monitor On did not show the window"
icon_menu
xdotool key p
wait_for 10 xdotool search --onlyvisible --name '^Options\.$' || fail "Options did not open"
wait_for 10 "$ATSPI" find "check box:Start Zovodazad when I log in." || fail "Options is not on the accessibility bus"
"$ATSPI" dump >"$SHOTS_DIR/accessibility-tree.txt"
shot accessibility
wanted=("filler:Zovodazad" "label:In :" "label:Out :" "frame:Download graph" "frame:Upload graph" \
    "dialog:Options." "page tab:General" "page tab:Adapters" "page tab:Reset" "page tab:Volume Left" \
    "check box:Log and Reset Counters before showing Graphs." "check box:Show Kbps/s - Mbps/s iso kBps." \
    "check box:Show volume left on Monitor window." "combo box:Export Log :" "text:Export logs to CSV :" \
    "push button:Browse" "push button:Export !" "check box:Start Zovodazad when I log in." \
    "check box:Draw the graphs in blue and orange." "combo box:The icon shows :" \
    "list:Select Adapter(s) to be logged :" "push button:Clear Database" "text:Maximum volume allowed (MB) :" \
    "text:Track volume during last :" "combo box:Track volume during last :" \
    "spin button:Billing day of the month :" "check box:Notify at 30 %, 15 % and 0 % left." "push button:OK")
missing=$("$ATSPI" find "${wanted[@]}" 2>&1) || fail "$missing"
grep -q "^    frame: Download graph - Now " "$SHOTS_DIR/accessibility-tree.txt" || fail "the download graph tells no rate"

echo PASS
