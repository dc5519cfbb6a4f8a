#!/usr/bin/env bash
# Reads Halvoren as a screen reader does: on a virtual display with its own session and
# accessibility buses, a configured copy of the program in a temporary folder with the modem
# simulator on port 1, read over AT-SPI by scripts/a11y-check.py. Needs a debug build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/debug"

if [ -z "${HALVOREN_A11Y_SESSION:-}" ]; then
    exec xvfb-run -a dbus-run-session -- env HALVOREN_A11Y_SESSION=1 "$0" "$@"
fi

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

cp "$build/halvoren" "$work/"
cp "$root/assets/blank.bmp" "$root/assets/fail.wav" "$root/assets/readme.txt" "$work/"
printf 'com1:\r\nAT+VCID=1\r\nFalse\r\nFalse\r\n' >"$work/cconfig.ini"
for _ in 1 2 3 4 5; do printf '+\r\n\r\n\r\n\r\n\r\n'; done >"$work/phone.ini"
printf 'await AT+VCID=1\nwait 1000\ncall 5551234567 JOHN\nwait 600000\n' >"$work/call.txt"

/usr/libexec/at-spi-bus-launcher --launch-immediately &
pids+=($!)
sleep 1
/usr/libexec/at-spi2-registryd &
pids+=($!)

"$build/modem-sim" --link "$work/ports/com1" --script "$work/call.txt" </dev/null \
    >"$work/modem-sim.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do
    [ -e "$work/ports/com1" ] && break
    sleep 0.1
done

# Started in its folder, where the file locator opens.
(cd "$work" && exec env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb ./halvoren) \
    2>"$work/halvoren.log" &
pids+=($!)

status=0
/usr/bin/python3 "$root/scripts/a11y-check.py" || status=$?
echo "-- modem-sim events"
cat "$work/modem-sim.log"
exit "$status"
