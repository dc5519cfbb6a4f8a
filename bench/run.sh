#!/usr/bin/env bash
# Builds Halvoren in release mode and prints its performance figures, each with its target.
# What the figures mean and why the targets are what they are: docs/performance.md.
# Needs what scripts/install-deps.sh installs; takes about seven minutes on two busy cores.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${HALVOREN_BENCH_BUILD:-$root/build/bench}
started=$SECONDS

echo "Halvoren benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "  commit $(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)," \
    "$(nproc) cores ($(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs))," \
    "load $(cut -d' ' -f1-3 /proc/loadavg), Qt $(qtpaths6 --qt-version 2>/dev/null || echo 6)"
echo "  release build in $build"
mkdir -p "$build"
log=$build/bench-stderr.log
: > "$log"
if ! { cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release &&
       cmake --build "$build" --target halvoren modem-sim bench_monitor bench_startup bench_blank_window; } \
       > "$build/bench-build.log" 2>&1; then
    tail -n 30 "$build/bench-build.log"
    echo "The build failed; see $build/bench-build.log"
    exit 1
fi
echo "  built in $((SECONDS - started)) s; Qt's own warnings of the runs go to $log"

export TZ=UTC LC_ALL=C.UTF-8
monitor=$build/bench/bench_monitor
startup=$build/bench/bench_startup
# A benchmark prints figures; one that reports a problem does not stop the others.
run() {
    "$@" 2>> "$log" || echo "  (this run reported a problem, exit status $?)"
}

QT_QPA_PLATFORM=offscreen run "$monitor" idle --count 30
run env -u QT_QPA_PLATFORM xvfb-run -a "$monitor" idle --count 30
QT_QPA_PLATFORM=offscreen run "$monitor" reaction --count 100 --interval 50 --cid-delay 20
QT_QPA_PLATFORM=offscreen run "$monitor" reaction --count 10 --interval 500 --cid-delay 200
QT_QPA_PLATFORM=offscreen run "$monitor" calls --count 10000 --interval 1
QT_QPA_PLATFORM=offscreen run "$monitor" noise --count 8 --interval 20
QT_QPA_PLATFORM=offscreen run "$startup" offscreen 10
run env -u QT_QPA_PLATFORM xvfb-run -a "$startup" Xvfb 10

echo
echo "Done in $((SECONDS - started)) s."
