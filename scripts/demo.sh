#!/usr/bin/env bash
# Starts Halvoren in build/demo, a folder of its own with its own copy of the program, next to a
# simulated modem on port 1 that places a known, an unknown, a blocked and a private call in turn.
# With --configured the first-run setup is skipped: the port and blocking are set already.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/debug"
demo="$root/build/demo"

cmake --preset debug >/dev/null
cmake --build --preset debug --target halvoren modem-sim

mkdir -p "$demo"
cp "$build/halvoren" "$build/modem-sim" "$demo/"
for file in blank.bmp fail.wav readme.txt; do
    [ -e "$demo/$file" ] || cp "$root/assets/$file" "$demo/"
done
cp "$root/tools/demo/ann.jpg" "$root/tools/demo/ann.wav" "$root/tools/demo/blocked.jpg" "$demo/"
if [ ! -e "$demo/phone.ini" ]; then
    printf '+\r\n5551234567\r\nN\r\n%s\r\n%s\r\n' "$demo/ann.jpg" "$demo/ann.wav" >"$demo/phone.ini"
    printf '+\r\n\r\n\r\n\r\n\r\n' >>"$demo/phone.ini"
    printf '+\r\n5550001111\r\nB\r\n%s\r\n\r\n' "$demo/blocked.jpg" >>"$demo/phone.ini"
    printf '+\r\n\r\n\r\n\r\n\r\n' >>"$demo/phone.ini"
    printf '+\r\n\r\n\r\n\r\n\r\n' >>"$demo/phone.ini"
fi
if [ "${1:-}" = "--configured" ] && [ ! -e "$demo/cconfig.ini" ]; then
    printf 'com1:\r\nAT+VCID=1\r\nFalse\r\nTrue\r\n' >"$demo/cconfig.ini"
fi

rm -f "$demo/ports/com1"
"$demo/modem-sim" --link "$demo/ports/com1" --script "$root/tools/demo/calls.txt" \
    </dev/null >"$demo/modem-sim.log" 2>&1 &
sim=$!
trap 'kill "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
    [ -e "$demo/ports/com1" ] && break
    sleep 0.1
done

cat <<TEXT
Halvoren demo in $demo, with a simulated modem on port 1 (its events: modem-sim.log).
First start: agree, press Detect, pick com1:, Save config, then Done.
In Phonebook, tick "Enable Blocking" so that entry 3 (5550001111) is cut off.
Press Activate: the first call comes 5 seconds later, then one every 40 seconds. The modem
waits for Activate before its first call; a later call that rings while monitoring is off is
missed, as on a real line.
TEXT
"$demo/halvoren"
