#!/usr/bin/env bash
# Builds the libFuzzer targets (the fuzz preset: clang, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for a while, one after the other, starting from the seeds in fuzz/corpus/<target>.
# Prints executions, corpus size and crashes per target; fails when any target crashed or hung.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]     (default: 30 seconds, every target)
#
# fuzz/<target>.dict, where present, lends the mutations the words of the input. New corpus entries
# go to build/fuzz/corpus/<target>, crashing inputs to build/fuzz/artifacts/<target>; once a crash is
# fixed, keep its input as fuzz/corpus/<target>/regression-<what it was>.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-30}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_datafiles fuzz_receive fuzz_logtext)

if ! command -v clang++ >/dev/null; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get install -y --no-install-recommends clang
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work=build/fuzz
# The data file target writes its files on every run; keep them off the disk where possible.
[ -d /dev/shm ] && export TMPDIR=/dev/shm

status=0
printf '%-20s %12s %8s %8s\n' target executions corpus crashes
for target in "${targets[@]}"; do
    corpus="$work/corpus/$target"
    artifacts="$work/artifacts/$target"
    mkdir -p "$corpus" "$artifacts"
    rm -f "$artifacts"/*
    log="$work/$target.log"
    options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$artifacts/")
    [ -f "fuzz/$target.dict" ] && options+=(-dict="fuzz/$target.dict")
    result=0
    "$work/fuzz/$target" "${options[@]}" "$corpus" "fuzz/corpus/$target" >"$log" 2>&1 || result=$?
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    crashes=$(find "$artifacts" -type f | wc -l)
    printf '%-20s %12s %8s %8s\n' "$target" "${executions:-?}" \
        "$(find "$corpus" -type f | wc -l)" "$crashes"
    if [ "$result" -ne 0 ] || [ "$crashes" -ne 0 ]; then
        status=1
        echo "  $target failed (exit $result); see $log" >&2
    fi
done
exit $status
