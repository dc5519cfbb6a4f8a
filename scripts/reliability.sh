#!/usr/bin/env bash
# Writes docs/reliability.md from the fault tests' own output and the figures of the last fuzzing
# run (scripts/fuzz.sh SECONDS, whose logs stay in build/fuzz).
#
#   scripts/reliability.sh [BUILD_FOLDER]      (default: build/debug, configured if needed)
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build/debug}"
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" --target tst_faults_files tst_mainwindow modem-sim

output=$(mktemp)
trap 'rm -f "$output"' EXIT
for test in tst_faults_files tst_mainwindow; do
    (cd "$build/tests" && QT_QPA_PLATFORM=offscreen TZ=UTC LC_ALL=C.UTF-8 "./$test") >>"$output" 2>&1 || {
        cat "$output" >&2
        echo "the fault tests failed; docs/reliability.md left as it was" >&2
        exit 1
    }
done

fuzz=build/fuzz
{
    cat <<'EOF'
# Reliability

Halvoren runs unattended on a line anyone can call, with caller-ID text anyone can spoof, and keeps
its phone book in files the user may edit by hand. This page is written by `scripts/reliability.sh`
from the fault tests' own output (`tests/tst_faults_files.cpp` and the walks of `tests/tst_mainwindow.cpp` through calls, hand-edited files and failing saves) and
from the logs of the last fuzzing run (`scripts/fuzz.sh SECONDS`); run it again after either changes.

## Faults

| Fault | Tries | What the program did | Lost |
|---|---|---|---|
EOF
    sed -n 's/^.*QINFO .* reliability | \(.*\)$/| \1/p' "$output"
    cat <<'EOF'

## Fuzzing

libFuzzer targets under AddressSanitizer and UndefinedBehaviorSanitizer (`fuzz/`, the `fuzz`
preset), seeded from `fuzz/corpus/<target>`. A crash or hang that was found and fixed keeps its input
in the seed corpus as `regression-*`, so every later run replays it first.

| Target | What it feeds | Seconds | Executions | Corpus | Crashes this run | Found and fixed |
|---|---|---|---|---|---|---|
EOF
    for target in fuzz_datafiles fuzz_receive fuzz_logtext; do
        case $target in
        fuzz_datafiles) feeds="LoadSettings/LoadPhoneBook on arbitrary files; save, load back" ;;
        fuzz_receive) feeds="the call cycle: arbitrary chunks, ticks, clicks, unplugging" ;;
        fuzz_logtext) feeds="the log's text and rows against a plain list of lines" ;;
        esac
        log="$fuzz/$target.log"
        seconds=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" 2>/dev/null | tail -1)
        executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" 2>/dev/null | tail -1)
        corpus=$(find "$fuzz/corpus/$target" -type f 2>/dev/null | wc -l)
        crashes=$(find "$fuzz/artifacts/$target" -type f 2>/dev/null | wc -l)
        fixed=$(find "fuzz/corpus/$target" -name 'regression-*' | wc -l)
        echo "| \`$target\` | $feeds | ${seconds:-?} | ${executions:-?} | $corpus | $crashes | $fixed |"
    done
    cat <<'EOF'

## Found and fixed

| Fault | Found by | Fix | Kept from coming back by |
|---|---|---|---|
| Deactivate and Activate close together (a double click, or a click during the recovery) started a second monitor inside the first: once it returned, the first waited forever for ticks that never came or monitored on behind an "&Activate" caption, or a stop request left by a failed monitor stopped the new one at once | `fuzz_receive`, four inputs | Activate while a monitor is still running lets it carry on; a stop request goes only to a running monitor, and goes with it when it fails | `fuzz/corpus/fuzz_receive/regression-*`; `tst_mainwindow` walks, calls-Deactivate-and-Activate-in-one-go |
| A save on a full disk put an empty file in place of the old one and reported success: `QSaveFile::commit()` does not notice that its buffered bytes never reached the disk | `tst_mainwindow` walks, write-fails on a full disk | the writer flushes before it commits and reports the failure | `tst_mainwindow` walks, write-fails rows on a full disk |
| A field that began with `"` was read as quoted up to the next `"`, across line ends: a hand-edited phone.ini with an unclosed quote sent every start into the first-run path with the port cleared, and a balanced `"C:\x.jpg"` lost its quotes | issue 10 | a field counts as quoted only when it is one the writer quotes (a comma, a quote, a line end or a leading space inside, the closing quote followed by a comma or the line end); anything else is read by the plain rule | `tst_mainwindow` walks, hand-edited quote rows |
| Files of the program's earlier Windows versions are in the Windows code page: a byte that is not UTF-8 (an accented letter in a picture path) became the replacement character and was saved so | issue 10 | a file that is not valid UTF-8 is read as Windows-1252 and written back in it, byte for byte; only when the code page cannot hold the text (a character it lacks, or bytes that would read back as UTF-8) is the file written in UTF-8 instead, so that the next start reads what was saved (`fuzz_datafiles` found the second case) | `tst_mainwindow` walks, hand-edited Windows code page rows; `fuzz_datafiles` (save, load back) |
| A save replaces the file with a new one, which need not have the old one's permissions (Qt 6.4's `QSaveFile` on Linux happens to copy them) | issue 10 | the writer gives the new file the old one's permissions for owner, group and others, so a read-only file stays read-only even when root saves it | `tst_mainwindow` walks, the hand-edited rows that save |
| Control characters in caller-ID text showed as nothing, as line breaks or as whatever the font made of them | `tst_mainwindow` walks, hostile caller ID | the view shows each as its control picture (C1 codes as the replacement character); the log itself keeps every byte | `tst_mainwindow` logView_showsPlainText; `tst_mainwindow` walks, calls-caller-ID-text-with-markup |

## Left as they are

- A kill between creating and renaming a temporary file can leave that file (named after the data
  file, with a suffix) in the program's folder; no reader takes it for the file, and nothing removes
  it.
- A flood of rings is counted by the rules of the call cycle: a ring followed by text within 3 s is
  a call, so rings that follow rings count.
- Text that never holds a ring stays in the receive buffer until a ring comes or monitoring stops,
  as the call cycle's rules say. Megabytes cost nothing to notice; a modem sending junk without a
  break for days at 19200 baud would take about 330 MB of memory a day.
EOF
} >docs/reliability.md
echo "docs/reliability.md written"
