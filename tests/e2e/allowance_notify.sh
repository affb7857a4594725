#!/usr/bin/env bash
# A plan of 100 MB that renews on the 17th, with 69 MB logged in this billing month and more just before it. Traffic
# that crosses into the orange band brings exactly one message, with the program's icon, to the desktop's
# notification service (dunst on a session bus of the test's own), and the tray icon carries the band's mark. (The
# other bands and the texts are the unit tests' part.)
source "$(dirname "$0")/lib.sh" "$1"
for tool in dunst dbus-daemon dbus-monitor dbus-send import convert; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
start_desktop

# The program and its traffic in a network namespace of their own, so that other traffic on this machine's loopback
# cannot move the figures.
private_namespaces zovo$$n
ip netns exec "$NS" ip link set lo up
APP_LAUNCH=(ip netns exec "$NS") # it becomes the program, so APP_PID is the program's

# A session bus reached through a file, so it is reachable from inside the namespace too.
dbus-daemon --session --nofork --address="unix:path=$E2E_DIR/bus" >"$E2E_DIR/bus.log" 2>&1 &
E2E_PIDS+=($!)
export DBUS_SESSION_BUS_ADDRESS="unix:path=$E2E_DIR/bus"
wait_for 10 test -S "$E2E_DIR/bus" || fail "no session bus"
dunst >"$E2E_DIR/dunst.log" 2>&1 &
E2E_PIDS+=($!)
service_up() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.freedesktop.Notifications | grep 'boolean true' >/dev/null
}
wait_for 10 service_up || fail "dunst did not take the notification service"
dbus-monitor --session "type='method_call',interface='org.freedesktop.Notifications',member='Notify'" \
    >"$E2E_DIR/notify.log" 2>&1 &
E2E_PIDS+=($!)
notified() { grep -c 'member=Notify' "$E2E_DIR/notify.log" || true; }
told() { grep -q "$1" "$E2E_DIR/notify.log"; }

# A first run makes the database; then loopback is chosen, and the plan and the log rows go in.
select_adapters lo
if [ "$(date +%-d)" -ge 17 ]; then start=$(date +%Y-%m-17); else start=$(date -d "$(date +%Y-%m-01) -1 month" +%Y-%m-17); fi
before=$(date -d "$start -1 day" +%Y-%m-%d)
MB=1048576
sqlite3 "$DB" <<SQL
delete from log;
insert into settings values ('maxmbsize', '100'), ('logperiodtype', '2'), ('logperiod', '1'), ('billingday', '17');
insert into log values ('$before 10:00:00', '$before 11:00:00', 0, $((80 * MB)), 0);
insert into log values ('$start 10:00:00', '$start 11:00:00', 0, $((69 * MB)), 0);
SQL

# The icon's pixels hold the band's colour exactly at the middle of its mark.
icon_has() {
    local x y
    read -r x y <<<"$(icon_centre)"
    import -window root -crop "24x24+$((x - 12))+$((y - 12))" "$E2E_DIR/icon.png" 2>/dev/null
    # grep reads to the end: quitting early would fail the pipeline on the writer's broken pipe.
    convert "$E2E_DIR/icon.png" txt:- | grep -i "#$1" >/dev/null
}

# Counters still at 0, as on a new namespace's loopback, would read as no sample yet.
send_loopback 1
start_app
wait_for 15 icon_embedded || fail "no icon in the tray"
sleep 3 # 31 % left: green, nothing to tell
[ "$(notified)" = 0 ] || fail "a notification while the remainder is green"
icon_has FF8000 && fail "an orange mark while the remainder is green"

send_loopback 1 # 69 + 2 MB: 29 % left
wait_for 15 told 'Under 30 % of the allowance left' || fail "no orange notification reached the service"
# The scratch copy's icon is in no icon theme: the message carries its pixels, 48 by 48 RGBA.
grep -A3 'string "image-data"' "$E2E_DIR/notify.log" | grep -q 'int32 48' || fail "the message carries no icon"
sleep 0.5
shot allowance-orange-notification
wait_for 10 icon_has FF8000 || fail "no orange mark on the icon"
sleep 3
[ "$(notified)" = 1 ] || fail "$(notified) notifications for one crossing"

stop_app 10
echo PASS
