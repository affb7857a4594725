#!/usr/bin/env bash
# zovodazad status against the running program, on the real kernel: the program counts a veth in a private network
# namespace while a steady 2 MB/s arrives, and its monitor window is shown. What `status --json` reports since the
# last row matches the window's caption within a tick's traffic, its rate matches the traffic sent, the waybar line
# carries the same figures, and `--watch` prints a line a second.
source "$(dirname "$0")/lib.sh" "$1"
private_namespaces zovo$$a zovo$$b
veth_pair zovo0 zovo1 10.213.0

start_desktop
APP_LAUNCH=(ip netns exec "$NS")
select_adapters zovo0
status() { "${APP_LAUNCH[@]}" "$APP_DIR/zovodazad" status "$@"; }
start_app
wait_first_tick
"${APP_LAUNCH[@]}" "$APP_DIR/zovodazad" # a second launch shows the window
wait_for 5 monitor_shown || fail "the monitor window did not show"

# A steady 2,000,000 octets a second for 8 s: a receiver in the program's namespace, a paced sender in the peer's.
"${APP_LAUNCH[@]}" python3 -c '
import socket; s = socket.socket(); s.bind(("10.213.0.1", 5599)); s.listen(1)
c, _ = s.accept(); b = bytearray(1 << 16)
while c.recv_into(b): pass' &
E2E_PIDS+=($!)
sleep 0.5
ip netns exec "$PEER" python3 -c '
import socket, time; s = socket.create_connection(("10.213.0.1", 5599)); block = bytes(200000); t = time.time()
for i in range(80):
    s.sendall(block); t += 0.1; time.sleep(max(0, t - time.time()))' &
E2E_PIDS+=($!)
sleep 3

# The caption is the volume since the last row, as the window shows it (kB or MB).
caption_octets() {
    xprop -id "$(monitor)" WM_NAME |
        awk -F'"' '{ split($2, v, " "); print int(v[1] * (v[2] == "MB" ? 1048576 : 1024)) }'
}
before=$(caption_octets)
json=$(status --json)
after=$(caption_octets)
read -r since rate < <(python3 -c 'import json, sys; s = json.loads(sys.argv[1])
print(s["rx"] + s["tx"], int(s["rx_rate"]))' "$json")
echo "caption $before..$after octets, status $since octets at $rate octets/s"
# Within a tick's traffic (1,000,000 octets) and the caption's rounding (0.005 MB) of the window's figures.
[ "$since" -ge $((before - 1010000)) ] && [ "$since" -le $((after + 1010000)) ] ||
    fail "status says $since octets since the last row, the window $before to $after"
[ "$rate" -ge 1500000 ] && [ "$rate" -le 2600000 ] || fail "status says $rate octets/s for 2,000,000 sent"
bar=$(status --format waybar)
python3 -c 'import json, sys; b = json.loads(sys.argv[1]); assert b["text"].startswith("↓") and b["class"] == "none", b' "$bar" ||
    fail "the waybar line is not as documented: $bar"
lines=$(timeout 3.2 "${APP_LAUNCH[@]}" "$APP_DIR/zovodazad" status --watch --json | wc -l) || true
[ "$lines" -ge 3 ] && [ "$lines" -le 4 ] || fail "status --watch printed $lines lines in 3.2 s"
stop_app 10
echo PASS
