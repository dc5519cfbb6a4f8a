#!/usr/bin/env python3
"""Measures how many small faults the test suite catches.

  scripts/mutants.py pick [--count N] [--seed S] [--tree DIR] [--under SRC_FOLDER] > faults.tsv
      Picks N faults at random from the program's sources in DIR/src, as many of each kind as
      the others: a comparison flipped, a number moved by one, a call dropped, a text changed.
      Numbers of geometry, colours and fonts are left out: one twip or one shade makes no visible
      difference. Each pick draws a new sample unless --seed is given; the seed it used and the
      sample's size go to standard error and into the list's first line, so a sample can be
      drawn again.

  scripts/mutants.py run --faults faults.tsv --tree DIR --work WORKDIR [--label NAME]
                        [--exclude TEST_PATTERN]
      Copies DIR (without its build folders) to WORKDIR, builds it once, then for each fault puts
      it into the copy, rebuilds what the fault changes, runs ctest and puts the line back. A
      fault is caught when ctest fails; ctest stops at the first failing test. Prints one line per
      fault and a summary; writes WORKDIR/results.tsv. The unchanged copy must pass before the
      faults and again after them, else the figures are void. --exclude leaves tests out, so a
      list of the faults one test caught shows which of them the others catch too.

The faults are found again by their line's text, so one list can be run on two versions of the
program; a fault whose line is gone from a version is reported as such, not counted.
Needs python3, cmake, ninja and what scripts/install-deps.sh installs.
"""

import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import time

KINDS = ("comparison", "number", "call", "text")

# Lines whose numbers or texts are geometry, colours, fonts or names of controls.
SKIP_LINE = re.compile(
    r"placeTwips|setClientSizeTwips|setGeometry|setFixedSize|QColor|QFont|AppFonts|setPointSize"
    r"|setObjectName|Controls::make|Controls::label|#include|#pragma|Q_OBJECT|static_assert"
    r"|fonts/|\.ttf|setStretch|setLineWidth|setDocumentMargin|\) (const )?= 0;"
    # A window's resize or move, not a list's resize, std::move or a container's remove.
    r"|(?:^|[^\w:.])(?:resize|move)\(|->(?:resize|move)\("
    r"|throw RuntimeError")
COMPARISONS = {" == ": " != ", " != ": " == ", " < ": " <= ", " <= ": " < ", " > ": " >= ",
               " >= ": " > "}
NUMBER = re.compile(r"(?<![\w.'\"])\d+(?![\w.'\"])")
STRING = re.compile(r'"((?:[^"\\]|\\.)*)"')
CALL = re.compile(
    r"^\s*(?:emit\s+)?(?!(?:return|if|else|for|while|switch|case|delete|throw|break|continue|do"
    r"|new|sizeof|static_assert)\b)[A-Za-z_]\w*(?:::\w+)*(?:\s*(?:\.|->)\s*[A-Za-z_]\w*)*"
    r"\s*\(.*\);\s*$")
CONTROL_NAME = re.compile(r"^(Command|Label|Text|Check|Option|Combo|Image|Shape|Timer|VScroll"
                          r"|File|Dir|Drive|MSComm|Form|Fr)\w*(\[\d\])?$")


def code_part(line):
    """The line without a trailing comment (a // inside a string literal stays)."""
    in_string = False
    i = 0
    while i < len(line):
        c = line[i]
        if c == "\\" and in_string:
            i += 2
            continue
        if c == '"':
            in_string = not in_string
        elif not in_string and line.startswith("//", i):
            return line[:i]
        i += 1
    return line


def outside_strings(code):
    spans = [m.span() for m in STRING.finditer(code)]
    return lambda pos: not any(a <= pos < b for a, b in spans)


def balanced(text):
    depth = 0
    for c in text:
        depth += c == "("
        depth -= c == ")"
        if depth < 0:
            return False
    return depth == 0


def candidates(path, lines):
    """Every fault of every kind that one line of the file can take."""
    found = {kind: [] for kind in KINDS}
    previous = ""
    for number, line in enumerate(lines, 1):
        code = code_part(line.rstrip("\n"))
        stripped = code.strip()
        if not stripped or stripped.startswith(("//", "*", "/*")) or SKIP_LINE.search(code):
            previous = stripped or previous
            continue
        free = outside_strings(code)
        for op, replacement in COMPARISONS.items():
            for m in re.finditer(re.escape(op), code):
                if free(m.start()):
                    found["comparison"].append(
                        (number, code[:m.start()] + replacement + code[m.end():]))
        for m in NUMBER.finditer(code):
            if free(m.start()):
                value = int(m.group())
                moved = value - 1 if value > 1 and (number + m.start()) % 2 else value + 1
                found["number"].append((number, code[:m.start()] + str(moved) + code[m.end():]))
        continued = previous.endswith((",", "(", "=", "+", "-", "&&", "||", "?", ":", "<<"))
        if CALL.match(code) and balanced(stripped) and not continued \
                and not stripped.startswith(("Q_", "public", "private")):
            found["call"].append((number, code[:len(code) - len(code.lstrip())] + "{ }"))
        for m in STRING.finditer(code):
            text = m.group(1)
            letters = [i for i, c in enumerate(text) if c.isalpha() and text[i - 1:i] != "\\"]
            if len(letters) < 2 or CONTROL_NAME.match(text):
                continue
            i = letters[(number * 7 + m.start()) % len(letters)]
            changed = text[:i] + text[i].swapcase() + text[i + 1:]
            found["text"].append(
                (number, code[:m.start(1)] + changed + code[m.end(1):]))
        previous = stripped
    return found


def source_files(tree, under="src"):
    for root, _, files in sorted(os.walk(os.path.join(tree, under))):
        for name in sorted(files):
            if name.endswith((".cpp", ".h")):
                yield os.path.relpath(os.path.join(root, name), tree)


def pick(args):
    pools = {kind: [] for kind in KINDS}
    for rel in source_files(args.tree, args.under):
        with open(os.path.join(args.tree, rel), encoding="utf-8") as f:
            lines = f.readlines()
        for kind, faults in candidates(rel, lines).items():
            for number, mutated in faults:
                original = lines[number - 1].rstrip("\n")
                if mutated.strip() != code_part(original).strip():
                    pools[kind].append((rel, number, original, mutated))
    seed = random.SystemRandom().randrange(1, 1 << 31) if args.seed is None else args.seed
    rng = random.Random(seed)
    # The kinds that take one more when the count does not divide by four.
    extra = random.Random(-seed).sample(KINDS, args.count % len(KINDS))
    picked = {}
    for kind in KINDS:
        wanted = args.count // len(KINDS) + (kind in extra)
        picked[kind] = sorted(rng.sample(pools[kind], min(wanted, len(pools[kind]))))
    size = sum(map(len, picked.values()))
    summary = f"seed {seed}, {size} faults: " + ", ".join(
        f"{len(picked[kind])} {kind} of {len(pools[kind])} places" for kind in KINDS)
    sys.stderr.write(summary + "\n")
    print("# " + summary)
    print("# kind\tfile\tline\toriginal\tfaulty")
    for kind in KINDS:
        for rel, number, original, mutated in picked[kind]:
            print("\t".join((kind, rel, str(number), original.strip(), mutated.strip())))


def read_faults(path):
    faults = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            kind, rel, number, original, mutated = line.rstrip("\n").split("\t")
            faults.append((kind, rel, int(number), original, mutated))
    return faults


def locate(lines, number, original):
    """The index of the line holding `original`, the one nearest to where it was picked."""
    matches = [i for i, line in enumerate(lines) if line.strip() == original]
    return min(matches, key=lambda i: abs(i + 1 - number)) if matches else None


def sh(command, cwd, timeout):
    try:
        done = subprocess.run(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              text=True, timeout=timeout)
        return done.returncode, done.stdout
    except subprocess.TimeoutExpired as expired:
        return -1, (expired.stdout or b"").decode() if isinstance(expired.stdout, bytes) \
            else (expired.stdout or "")


def first_failed_test(output):
    m = re.search(r"\d+ - (\S+) \(", output) or re.search(r"Test +#\d+: (\S+) \.+\*", output)
    return m.group(1) if m else "?"


def run(args):
    copy = os.path.join(args.work, "tree")
    build = os.path.join(args.work, "build")
    if os.path.exists(copy):
        shutil.rmtree(copy)
    shutil.copytree(args.tree, copy, ignore=shutil.ignore_patterns("build*", ".git", "demo"))
    # A fault that only draws a warning must still build and be tested.
    lists = os.path.join(copy, "CMakeLists.txt")
    with open(lists, encoding="utf-8") as f:
        text = f.read()
    with open(lists, "w", encoding="utf-8") as f:
        f.write(text.replace(" -Werror", ""))
    # The debug build CI tests first, whose Qt checks its own contracts: an index past a string's
    # end fails there, and reads the string's closing NUL in a build without them.
    code, out = sh(["cmake", "-S", copy, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug"],
                   copy, 600)
    build_cmd = ["cmake", "--build", build, "--target", "halvoren_tests", "--", f"-j{args.jobs}"]
    test_cmd = ["ctest", "--test-dir", build, "--stop-on-failure", "--timeout", "120",
                "-j", str(args.jobs)] + (["-E", args.exclude] if args.exclude else [])
    code, out = sh(build_cmd, copy, 3600)
    if code != 0:
        sys.exit("the unchanged copy does not build:\n" + out[-3000:])
    code, out = sh(test_cmd, copy, 1800)
    if code != 0:
        sys.exit("the unchanged copy does not pass its tests:\n" + out[-3000:])

    faults = read_faults(args.faults)
    results = []
    started = time.time()
    for n, (kind, rel, number, original, mutated) in enumerate(faults, 1):
        path = os.path.join(copy, rel)
        if not os.path.exists(path):
            results.append((kind, rel, number, "gone", "file not found", original))
            continue
        with open(path, encoding="utf-8") as f:
            lines = f.readlines()
        at = locate(lines, number, original)
        if at is None:
            results.append((kind, rel, number, "gone", "line not found", original))
        else:
            indent = lines[at][:len(lines[at]) - len(lines[at].lstrip())]
            faulty = list(lines)
            faulty[at] = indent + mutated + "\n"
            with open(path, "w", encoding="utf-8") as f:
                f.writelines(faulty)
            code, out = sh(build_cmd, copy, 1800)
            if code != 0:
                results.append((kind, rel, number, "no-build", "", original))
            else:
                code, out = sh(test_cmd, copy, 1800)
                if code != 0:
                    results.append((kind, rel, number, "caught", first_failed_test(out), original))
                else:
                    results.append((kind, rel, number, "missed", "", original))
            with open(path, "w", encoding="utf-8") as f:
                f.writelines(lines)
        r = results[-1]
        print(f"[{n}/{len(faults)} {time.time() - started:.0f}s] {r[3]:8} {r[0]:10} "
              f"{r[1]}:{r[2]} {r[4]}  | {original}", flush=True)

    # A suite that fails unchanged after the run (a fault left something behind on the machine)
    # would have counted every fault after that as caught.
    code, out = sh(build_cmd, copy, 3600)
    if code == 0:
        code, out = sh(test_cmd, copy, 1800)
    if code != 0:
        print("the unchanged copy fails its tests after the run; the figures are void:\n"
              + out[-3000:], flush=True)
    with open(os.path.join(args.work, "results.tsv"), "w", encoding="utf-8") as f:
        f.write("# kind\tfile\tline\tresult\tcaught by\toriginal\n")
        for r in results:
            f.write("\t".join(map(str, r)) + "\n")
    summarize(results, args.label)


def summarize(results, label):
    print(f"\n{label}:")
    for kind in KINDS + ("all",):
        rows = [r for r in results if kind in ("all", r[0])]
        caught = sum(r[3] == "caught" for r in rows)
        tested = sum(r[3] in ("caught", "missed") for r in rows)
        other = ", ".join(f"{sum(r[3] == s for r in rows)} {s}" for s in ("no-build", "gone")
                          if any(r[3] == s for r in rows))
        share = f"{100 * caught / tested:.0f} %" if tested else "-"
        print(f"  {kind:10} caught {caught} of {tested} ({share})" + (f"; {other}" if other else ""))


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest="command", required=True)
    p = sub.add_parser("pick")
    p.add_argument("--seed", type=int, help="draw the sample of this seed again")
    p.add_argument("--count", type=int, default=100, help="faults in all, the kinds evenly")
    p.add_argument("--tree", default=".")
    p.add_argument("--under", default="src", help="only the sources in this folder, e.g. src/monitor")
    r = sub.add_parser("run")
    r.add_argument("--faults", required=True)
    r.add_argument("--tree", default=".")
    r.add_argument("--work", required=True)
    r.add_argument("--label", default="suite")
    r.add_argument("--jobs", type=int, default=2)
    r.add_argument("--exclude", help="leave out the tests this pattern matches, to see whether "
                   "the others catch what they catch")
    args = parser.parse_args()
    pick(args) if args.command == "pick" else run(args)


if __name__ == "__main__":
    main()
