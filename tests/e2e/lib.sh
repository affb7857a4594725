# Shared by the end-to-end scripts: a private X server with a tray host, and a scratch copy of the program so
# that its database is created beside it in a temporary folder.
# Usage: source lib.sh <path-to-zovodazad>

set -euo pipefail
ZOVO_BIN_SRC=$1
# The scripts look for the English texts, whatever language the machine speaks.
export LANGUAGE=en
for tool in Xvfb trayer xdotool sqlite3 xprop xwininfo; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

E2E_DIR=$(mktemp -d /tmp/zovo-e2e.XXXXXX)
E2E_PIDS=()
cleanup() {
    for p in "${E2E_PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$E2E_DIR"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    [ -z "${DISPLAY:-}" ] || shot "failed-$(basename "$0" .sh)"
    exit 1
}

# shot <name>: the whole screen as the user would see it, kept beside the build for a person to look at.
SHOTS_DIR="$(dirname "$ZOVO_BIN_SRC")/tests/e2e-shots"
mkdir -p "$SHOTS_DIR"
shot() { import -window root "$SHOTS_DIR/$1.png" 2>/dev/null || echo "no screenshot $1"; }

# True once a tray host owns the system-tray selection of screen 0, so that icons can be embedded.
tray_ready() {
    python3 - <<'PY'
import ctypes, sys
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XInternAtom.restype = ctypes.c_ulong
x.XGetSelectionOwner.restype = ctypes.c_ulong
d = x.XOpenDisplay(None)
if not d:
    sys.exit(1)
atom = x.XInternAtom(ctypes.c_void_p(d), b"_NET_SYSTEM_TRAY_S0", 0)
sys.exit(0 if x.XGetSelectionOwner(ctypes.c_void_p(d), ctypes.c_ulong(atom)) else 1)
PY
}

# Starts Xvfb on a free display and a tray host on it.
start_desktop() {
    exec 5>"$E2E_DIR/display"
    Xvfb -displayfd 5 -screen 0 1280x800x24 -nolisten tcp >"$E2E_DIR/xvfb.log" 2>&1 &
    E2E_PIDS+=($!)
    for _ in $(seq 100); do [ -s "$E2E_DIR/display" ] && break; sleep 0.05; done
    export DISPLAY=":$(head -n1 "$E2E_DIR/display")"
    export QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY
    # Only a test that runs its own session bus (the Xfce panel ones) lets the program see one.
    [ -n "${ZOVO_E2E_BUS:-}" ] || unset DBUS_SESSION_BUS_ADDRESS
    [ "${1:-tray}" != tray ] || start_tray
}

# An XEmbed tray host at the bottom right.
start_tray() {
    trayer --edge bottom --align right --widthtype pixel --width 120 --height 24 --transparent false \
        >>"$E2E_DIR/trayer.log" 2>&1 &
    E2E_PIDS+=($!)
    wait_for 10 tray_ready || fail "the tray host did not start"
}

# A copy of the program in its own folder: its database is $APP_DIR/Zovodazad.mdb.
APP_DIR="$E2E_DIR/app"
mkdir -p "$APP_DIR"
cp "$ZOVO_BIN_SRC" "$APP_DIR/zovodazad"
cp "$(dirname "$ZOVO_BIN_SRC")/zovodazad-stats" "$APP_DIR/"
DB="$APP_DIR/Zovodazad.mdb"
export XDG_RUNTIME_DIR="$E2E_DIR/runtime"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
export HOME="$E2E_DIR/home"
mkdir -p "$HOME"

# A command the program is started through, e.g. (ip netns exec NAME); it must exec the program, so that APP_PID
# is the program's own.
APP_LAUNCH=()
# start_app [command...]: the scratch copy, or the given command that execs the program.
start_app() {
    : >"$E2E_DIR/app.log" # emptied here: a wait for a line must never find the previous run's
    "${APP_LAUNCH[@]}" "${@:-$APP_DIR/zovodazad}" >>"$E2E_DIR/app.log" 2>&1 &
    APP_PID=$!
    E2E_PIDS+=($APP_PID)
}

# transfer <bytes> <address> [command...]: one TCP connection into <address>, read to the end where the program
# runs (APP_LAUNCH); the sender runs through the given command (e.g. in another network namespace).
transfer() {
    local port="$E2E_DIR/receiver-port" bytes=$1 address=$2
    shift 2
    rm -f "$port"
    "${APP_LAUNCH[@]}" python3 - "$address" "$port" <<'PY' &
import socket, sys
s = socket.socket(); s.bind((sys.argv[1], 0)); s.listen(1)
open(sys.argv[2], "w").write(str(s.getsockname()[1]))
c, _ = s.accept(); buf = bytearray(4 << 20)
while c.recv_into(buf): pass
PY
    local receiver=$!
    E2E_PIDS+=($receiver)
    wait_for 10 test -s "$port" || fail "the receiver did not start"
    "$@" bash -c 'head -c "$0" /dev/zero >"/dev/tcp/$1/$2"' "$bytes" "$address" "$(cat "$port")"
    wait $receiver
}
# send_loopback <megabytes>: over 127.0.0.1 where the program runs; loopback counts them in and out.
send_loopback() { transfer $(($1 * 1048576)) 127.0.0.1 "${APP_LAUNCH[@]}"; }

# wait_for <seconds> <command...>: polls until the command succeeds.
wait_for() {
    local limit=$1
    shift
    local end=$((SECONDS + limit))
    until "$@" >/dev/null 2>&1; do
        [ $SECONDS -lt $end ] || return 1
        sleep 0.1
    done
}

rows() { sqlite3 "$DB" "select count(*) from log"; }
app_gone() { ! kill -0 "$APP_PID" 2>/dev/null; }
wait_db() { wait_for "${1:-10}" test -s "$DB" || fail "no database created"; }
dclick() { xdotool click --repeat 2 --delay 80 1; }

# The program logs its first tick, which takes the reference sample; traffic before it is not the program's.
export QT_LOGGING_RULES="zovodazad.startup.debug=true"
wait_first_tick() { wait_for 20 grep -q "first tick" "$E2E_DIR/app.log" || fail "no first tick"; }

# stop_app [seconds]: SIGTERM, then waits for the program to end.
stop_app() {
    kill -TERM $APP_PID
    wait_for "${1:-5}" app_gone || fail "did not end after SIGTERM"
}

# select_adapters <name>...: a first run creates the database; the named adapters are stored as the selection,
# as the options dialog stores it, for the runs that follow.
select_adapters() {
    start_app
    wait_db 15 # the file appears complete, schema and all
    stop_app 10
    local k=0 name
    for name in "$@"; do
        sqlite3 "$DB" "insert into settings values ('Adapter$k', '$name')"
        k=$((k + 1))
    done
}

# Presses Return in the newest message box titled "Zovodazad" (there is no window manager to activate it).
answer_box() {
    local w
    w=$(xdotool search --onlyvisible --name '^Zovodazad$' | tail -n1)
    xdotool windowfocus --sync "$w" key Return
}

# Waits until the program has created its database and saved its open period (which needs some traffic). The file must exist before
# sqlite3 looks: the tool would otherwise create an empty file, which the program rightly refuses.
wait_for_open_period() {
    wait_db
    wait_for 10 sh -c "sqlite3 '$DB' 'select count(*) from open_period' | grep -q '^1$'" || fail "no open period saved"
}

# The program's mapped top-level windows (the embedded icon is not one of them).
top_levels() {
    local w
    for w in $(xwininfo -root -children | awk '/\("zovodazad" "Zovodazad"\)/ {print $1}'); do
        xwininfo -id "$w" 2>/dev/null | grep -q 'Map State: IsViewable' && echo "$w"
    done
    return 0
}
# The monitor window (mapped or not, framed or not), a utility window of the running program; none before it was
# first shown.
monitor() {
    local w
    for w in $(xdotool search --pid "$APP_PID" 2>/dev/null); do
        xprop -id "$w" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_UTILITY && { echo "$w"; return; }
    done
    return 1
}
# xwininfo without a window would wait for one to be clicked.
monitor_shown() {
    local w
    w=$(monitor) && xwininfo -id "$w" 2>/dev/null | grep -q 'Map State: IsViewable'
}
monitor_hidden() { ! monitor_shown; }
# tall_popup <window>...: one of them is a mapped unmanaged window taller than a one-line tooltip, i.e. a menu.
tall_popup() {
    local w info
    for w in "$@"; do
        info=$(xwininfo -id "$w" 2>/dev/null) || continue
        grep -q 'Map State: IsViewable' <<<"$info" && grep -q 'Override Redirect State: yes' <<<"$info" || continue
        [ "$(awk '/Height:/ {print $2}' <<<"$info")" -gt 80 ] && return 0
    done
    return 1
}
menu_shown() { tall_popup $(top_levels); }
menu_closed() { ! menu_shown; }

# The icon is the program's window embedded in the tray host: the one nested below a top-level window.
icon_centre() {
    xwininfo -root -tree | awk '/^        +0x[0-9a-f]+ "Zovodazad": \("zovodazad"/ {
        split($(NF-1), size, "x"); split($NF, pos, "+");
        print pos[2] + int(size[1] / 2), pos[3] + int(size[2] / 2); exit }'
}
icon_embedded() { [ -n "$(icon_centre)" ]; }
# hover_icon [message]: waits for the icon, then puts the mouse on it.
hover_icon() {
    wait_for 15 icon_embedded || fail "${1:-no icon in the tray}"
    read -r ICON_X ICON_Y <<<"$(icon_centre)"
    xdotool mousemove "$ICON_X" "$ICON_Y"
}
# icon_menu [message]: waits for the icon, right-clicks it and waits for its menu.
icon_menu() {
    hover_icon
    sleep 0.5
    xdotool click 3
    wait_for 5 menu_shown || fail "${1:-a right click on the icon did not open the menu}"
}
stats_windows() { xdotool search --onlyvisible --name '^Zovodazad, Keeps an eye on your downloads'; }

# private_namespaces <name>...: network namespaces of the test's own, removed at exit, without IPv6 chatter, so the
# counters move only with the test's own traffic; the first is the program's ($NS), the second its peer's ($PEER).
# Without root, ip(8) or namespaces the test is skipped.
private_namespaces() {
    [ "$(id -u)" = 0 ] && command -v ip >/dev/null || { echo "SKIP: needs root and ip(8)"; exit 77; }
    ip netns add "$1" || { echo "SKIP: network namespaces are not available"; exit 77; }
    TEST_NAMESPACES=("$@")
    NS=$1 PEER=${2:-}
    trap 'for n in "${TEST_NAMESPACES[@]}"; do ip netns del "$n" 2>/dev/null; done; cleanup' EXIT
    local ns
    for ns in "${@:2}"; do ip netns add "$ns"; done
    for ns in "$@"; do
        ip netns exec "$ns" sysctl -qw net.ipv6.conf.all.disable_ipv6=1 net.ipv6.conf.default.disable_ipv6=1
    done
}

# veth_pair <name> <peer's name> <subnet> [namespace]: a veth from the namespace ($NS unless given; address .1) to
# $PEER's (.2), up, with fixed neighbours: no ARP exchange moves the counters behind the test's back.
veth_pair() {
    local ns=${4:-$NS}
    ip link add "$1" netns "$ns" mtu 65000 type veth peer name "$2" netns "$PEER" mtu 65000
    ip -n "$ns" addr add "$3.1/30" dev "$1"
    ip -n "$PEER" addr add "$3.2/30" dev "$2"
    ip -n "$ns" link set "$1" up
    ip -n "$PEER" link set "$2" up
    ip -n "$ns" neigh add "$3.2" lladdr "$(ip netns exec "$PEER" cat "/sys/class/net/$2/address")" dev "$1" nud permanent
    ip -n "$PEER" neigh add "$3.1" lladdr "$(ip netns exec "$ns" cat "/sys/class/net/$1/address")" dev "$2" nud permanent
}
# counters <adapter>: its kernel counters in $NS, "received sent".
counters() { ip netns exec "$NS" cat "/sys/class/net/$1/statistics/rx_bytes" "/sys/class/net/$1/statistics/tx_bytes" | paste -sd' '; }
# from_peer <bytes> <address>: one TCP connection from $PEER's namespace into the program's.
from_peer() { transfer "$1" "$2" ip netns exec "$PEER"; }
# logged: the log's sums, "received sent".
logged() { sqlite3 "$DB" "select sum(cast(bytesrcvd as integer)) || ' ' || sum(cast(BytesSent as integer)) from log"; }
