#!/usr/bin/env bash
# Builds Halvoren in release mode and prints its performance figures, each with its target.
# What the figures mean and why the targets are what they are: docs/performance.md.
# Needs what scripts/install-deps.sh installs; takes about seven minutes on two busy cores.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${HALVOREN_BENCH_BUILD:-$root/build/bench}
started=$SECONDS
echo "Halvoren benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC'), commit" \
    "$(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)"
echo "  $(nproc) cores ($(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)), load" \
    "$(cut -d' ' -f1-3 /proc/loadavg), Qt $(qtpaths6 --qt-version 2>/dev/null || echo 6)"
mkdir -p "$build"
log=$build/bench-stderr.log
if ! { cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release && cmake --build "$build" \
       --target halvoren modem-sim bench_monitor bench_startup bench_logview; } \
       > "$build/bench-build.log" 2>&1; then
    tail -n 30 "$build/bench-build.log"
    echo "The build failed; see $build/bench-build.log"
    exit 1
fi
echo "  release build in $build, built in $((SECONDS - started)) s; Qt's warnings go to $log"
: > "$log"
export TZ=UTC LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen
# A benchmark prints figures; one that reports a problem does not stop the others.
run() { "$@" 2>> "$log" || echo "  (this run reported a problem, exit status $?)"; }
xvfb="env -u QT_QPA_PLATFORM xvfb-run -a"
bin=$build/bench
run "$bin/bench_monitor" idle 30
run $xvfb "$bin/bench_monitor" idle 30
run "$bin/bench_monitor" reaction 100 50 20
run "$bin/bench_monitor" reaction 10 500 200
run "$bin/bench_monitor" calls 10000 1
run "$bin/bench_monitor" noise 8 20
run "$bin/bench_startup" offscreen 10
run $xvfb "$bin/bench_startup" Xvfb 10
run "$bin/bench_logview" logbox 10000
run "$bin/bench_logview" clearlayout 10000
run "$bin/bench_logview" maxblocks 10000
echo -e "\nDone in $((SECONDS - started)) s."
