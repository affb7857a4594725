#!/usr/bin/env bash
# CPU of the program and of Xfce's panel with each form of the icon (the still picture, the graph, the rate) under
# steady traffic: loopback is the counted adapter, and a sender varies its rate every second, so the graph and the
# rate change at each of their drawings. On a StatusNotifierItem host each drawing is a D-Bus signal and a transfer
# of pixels. The forms take turns in rounds, each in a fresh run, and the medians of the rounds are the figures.
# CPU time is the kernel's per-thread run time, summed over the program's threads, and over the panel and its
# plug-in processes. With a folder as third argument, each form is also photographed on the panel and on trayer.
# Usage: bench/icon_cpu.sh <zovodazad> [rounds, default 5] [screenshot folder] [seconds a round, 20]
set -euo pipefail
if [ -z "${ZOVO_E2E_BUS:-}" ]; then
    home=$(mktemp -d /tmp/zovo-bench-home.XXXXXX)
    ZOVO_E2E_BUS=1 HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_CACHE_HOME="$home/.cache" \
        XDG_CONFIG_DIRS="$(cd "$(dirname "$0")/../tests/e2e" && pwd)/xfce" NO_AT_BRIDGE=1 \
        dbus-run-session -- "$0" "$@" && rc=0 || rc=$?
    rm -rf "$home"
    exit $rc
fi
ROUNDS=${2:-5}
PHOTOS=${3:+$(readlink -f "$3")}
ROUND_SECONDS=${4:-20}
SNI="$(dirname "$0")/../tests/e2e/sni.py"
source "$(dirname "$0")/../tests/e2e/lib.sh" "$1"
start_desktop none
select_adapters lo

# The sender: 2 to 6 MiB a second over loopback, a different rate each second.
python3 - >"$E2E_DIR/sender.log" 2>&1 <<'PY' &
import math, socket, threading, time
server = socket.socket(); server.bind(("127.0.0.1", 0)); server.listen(1)
client = socket.create_connection(server.getsockname()); peer, _ = server.accept()
threading.Thread(target=lambda: [None for _ in iter(lambda: peer.recv(1 << 20), b"")], daemon=True).start()
block = bytes(1 << 16)
for second in range(10 ** 6):
    end = time.monotonic() + 1
    for _ in range(int(32 * (2 + math.sin(second)))):
        client.sendall(block)
    time.sleep(max(0, end - time.monotonic()))
PY
E2E_PIDS+=($!)

xfce4-panel --disable-wm-check >>"$E2E_DIR/panel.log" 2>&1 &
PANEL=$!
E2E_PIDS+=($PANEL)
wait_for 15 "$SNI" host || fail "the panel did not start"

cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { print s + 0 }'; }
panel_ns() {
    local p sum=0
    for p in $PANEL $(pgrep -P $PANEL); do sum=$((sum + $(cpu_ns $p))); done
    echo $sum
}
forms=(still graph rate)
# photo <tray> <area>: the tray's corner of the screen, three times enlarged.
photo() { import -window root -crop "$2" +repage png:- | convert - -scale 300% "$PHOTOS/icon-${forms[$f]}-$1.png"; }
# run <form index> [panel|trayer]: the program with that form of the icon, its icon on screen.
run() {
    sqlite3 "$DB" "delete from settings where settingname = 'trayicon'; insert into settings values ('trayicon', '$1')"
    start_app
    wait_for 15 "$SNI" items || fail "the item did not reach the panel"
    sleep 3
}
for round in $(seq "$ROUNDS"); do
    line="round $round:"
    for f in 0 1 2; do
        run $f
        app_before=$(cpu_ns $APP_PID)
        panel_before=$(panel_ns)
        sleep "$ROUND_SECONDS"
        app=$((($(cpu_ns $APP_PID) - app_before) / ROUND_SECONDS / 1000))
        panel=$((($(panel_ns) - panel_before) / ROUND_SECONDS / 1000))
        [ "$round" != 1 ] || [ -z "$PHOTOS" ] || photo xfce 120x40+1160+760
        stop_app 10
        echo "$f $app $panel" >>"$E2E_DIR/rounds"
        line+=" ${forms[$f]} program $app us/s, panel $panel us/s;"
    done
    echo "$line"
done
# median <form> <column>: the median over the rounds.
median() { awk -v f=$1 -v c=$2 '$1 == f { print $c }' "$E2E_DIR/rounds" | sort -n | awk '{ v[NR] = $1 } END {
    print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
for f in 0 1 2; do
    [ -s "$E2E_DIR/rounds" ] || break
    echo "${forms[$f]}: program $(median $f 2) us/s, panel $(median $f 3) us/s (medians of $ROUNDS rounds)"
done

# The three forms on an XEmbed tray.
if [ -n "$PHOTOS" ]; then
    # The panel and its plug-in hand the tray over once they are gone.
    kill $PANEL $(pgrep -P $PANEL) 2>/dev/null || true
    wait_for 10 sh -c "! kill -0 $PANEL 2>/dev/null" || fail "the panel did not end"
    start_tray
    for f in 0 1 2; do
        sqlite3 "$DB" "delete from settings where settingname = 'trayicon'; insert into settings values ('trayicon', '$f')"
        start_app
        wait_for 15 icon_embedded || fail "no icon on trayer"
        sleep 10
        photo trayer 140x40+1140+760
        stop_app 10
    done
fi
