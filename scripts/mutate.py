#!/usr/bin/env python3
"""Mutation testing: how many small faults put into a source file do the tests notice?

    scripts/mutate.py [-n 40] [--seed 1] FILE...      (or: make mutate FILES="..." N=40)

For each named file it makes a sample of N mutants (an operator swapped, a boundary moved, a
condition negated, a statement removed, a constant changed), puts each one in turn into a
scratch copy of the tree (build-mutate/src, never the working tree), rebuilds only the test
programs of the file's layer (build-mutate/src/build) and runs them. A mutant is killed when a
test fails or hangs, survives when every test passes, and does not count when it does not
build. At the end it prints every surviving mutant with file, line and change, and the score
of each file: killed / (killed + survived).

The same seed and the same sources give the same mutants.
"""

import argparse
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
import zlib
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
WORK = ROOT / "build-mutate"
COPY = WORK / "src"
BUILD = COPY / "build"

# The test programs that exercise each folder, most specific first. A folder missing here is
# tested with the programs of its parent folder.
LAYER_TESTS = {
    "core": ["core_tests"],
    "platform": ["platform_tests", "platform_reliability_tests"],
    "platform/ui": ["ui_screen_test", "ui_services_test"],
    "store": ["store_tests", "store_fault_tests"],
    "export": ["export_tests", "export_reliability_tests", "cli_tests"],
    "reports": ["reports_test"],
    "dialogs": ["dialogs_test"],
    "shell": ["shell_scenario_test"],
    "setup": ["setup_logic_test", "setup_gui_test"],
    "cli": ["cli_tests"],
}

# Files whose tests live in another layer's programs.
FILE_TESTS = {
    "export/export_dialog.cpp": ["dialogs_test"],
    "export/export_dialog.h": ["dialogs_test"],
}

# ---------------------------------------------------------------------------------------------
# Mutants


def masked(line):
    """The line with string and character literals blanked and a trailing // comment cut, so
    that operators are only found in code. Same length as the line up to the comment."""
    out = []
    quote = None
    i = 0
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                out.append("  ")
                i += 2
                continue
            out.append(" " if c != quote else c)
            if c == quote:
                quote = None
        elif c in "\"'":
            # A digit separator (1'000) is not a quote.
            if c == "'" and i > 0 and line[i - 1].isalnum() and i + 1 < len(line) and \
                    line[i + 1].isalnum():
                out.append(c)
            else:
                quote = c
                out.append(c)
        elif line.startswith("//", i):
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)[: len(line)]


SWAPS = [
    (" == ", " != "), (" != ", " == "),
    (" < ", " <= "), (" <= ", " < "), (" > ", " >= "), (" >= ", " > "),
    (" && ", " || "), (" || ", " && "),
    (" + ", " - "), (" - ", " + "), (" * ", " / "), (" / ", " * "),
    (" += ", " -= "), (" -= ", " += "),
    ("++", "--"), ("--", "++"),
]

NOT_STATEMENTS = re.compile(
    r"^(return|break|continue|case|default|using|namespace|typedef|class|struct|enum|template|"
    r"public|private|protected|static_assert|else|do|for|while|if|switch|\}|\{|#)\b")
DECLARATION = re.compile(
    r"^(const\s+|static\s+|constexpr\s+|auto\b|unsigned\b|bool\b|int\b|char\b|double\b|"
    r"std::|[A-Z]\w*(::\w+)*[\s&*]+\w+\s*[=({;])")


def balanced(text, open_at):
    """The index of the parenthesis closing the one at `open_at`, or -1."""
    depth = 0
    for i in range(open_at, len(text)):
        if text[i] == "(":
            depth += 1
        elif text[i] == ")":
            depth -= 1
            if depth == 0:
                return i
    return -1


def mutants_of(lines):
    """Every mutant of a file: (line index, new line text, description)."""
    found = []
    in_block_comment = False
    previous_code = ";"
    for index, line in enumerate(lines):
        stripped = line.strip()
        if in_block_comment:
            if "*/" in line:
                in_block_comment = False
            continue
        if stripped.startswith("/*"):
            in_block_comment = "*/" not in stripped
            continue
        if not stripped or stripped.startswith("//") or stripped.startswith("#"):
            continue
        code = masked(line)

        def add(start, end, replacement, what):
            found.append((index, line[:start] + replacement + line[end:], what))

        for old, new in SWAPS:
            for match in re.finditer(re.escape(old), code):
                if old in ("++", "--") and (code[match.start() - 1:match.start()] in "+-" or
                                            code[match.end():match.end() + 1] in "+-="):
                    continue
                add(match.start(), match.end(), new, f"'{old.strip()}' -> '{new.strip()}'")
        for match in re.finditer(r"!(?=[\w(])", code):
            add(match.start(), match.end(), "", "'!' removed")
        for match in re.finditer(r"\b(if|while) \(", code):
            close = balanced(code, match.end() - 1)
            if close > 0:
                inner = line[match.end():close]
                add(match.end(), close, f"!({inner})", f"{match.group(1)} condition negated")
        for match in re.finditer(r"\b(true|false)\b", code):
            flipped = "false" if match.group(1) == "true" else "true"
            add(match.start(), match.end(), flipped, f"'{match.group(1)}' -> '{flipped}'")
        for match in re.finditer(r"(?<![\w.])(\d+)(?![\w.'])", code):
            number = int(match.group(1))
            changed = {0: 1, 1: 0}.get(number, number + 1)
            add(match.start(), match.end(), str(changed), f"{number} -> {changed}")
        # A whole statement on one line, starting where a statement may start.
        if (stripped.endswith(";") and previous_code[-1:] in ";{}:" and
                not NOT_STATEMENTS.match(stripped) and not DECLARATION.match(stripped) and
                code.count("(") == code.count(")") and
                ("(" in code or re.search(r"[^=!<>]=[^=]|\+\+|--", code))):
            indent = line[: len(line) - len(line.lstrip())]
            found.append((index, indent + ";", "statement removed"))
        previous_code = code.rstrip() or previous_code
    return found


def sample(path, lines, count, seed):
    every = mutants_of(lines)
    chooser = random.Random(f"{seed}:{path}")
    picked = chooser.sample(every, min(count, len(every)))
    return sorted(picked, key=lambda m: (m[0], m[2], m[1]))


# ---------------------------------------------------------------------------------------------
# The scratch tree


def tracked_files():
    listed = subprocess.run(["git", "ls-files", "-co", "--exclude-standard", "-z"], cwd=ROOT,
                            check=True, capture_output=True).stdout.decode().split("\0")
    return [name for name in listed if name and (ROOT / name).is_file()]


def sync_copy():
    """Makes the scratch tree equal to the working tree, touching only what differs (so the
    scratch build rebuilds only that)."""
    for name in tracked_files():
        source, target = ROOT / name, COPY / name
        data = source.read_bytes()
        if target.is_file() and target.read_bytes() == data:
            continue
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_bytes(data)
        shutil.copymode(source, target)


def run(command, timeout=None, **kwargs):
    return subprocess.run(command, cwd=COPY, timeout=timeout, stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT, **kwargs)


def configure():
    env = dict(os.environ)
    env.setdefault("CMAKE_CXX_COMPILER_LAUNCHER", "ccache")
    env.setdefault("CMAKE_C_COMPILER_LAUNCHER", "ccache")
    if not (BUILD / "build.ninja").exists():
        result = run(["cmake", "--preset", "default"], env=env)
        if result.returncode != 0:
            sys.exit("mutate: cannot configure the scratch build:\n" + result.stdout.decode())


def build(targets, jobs):
    return run(["cmake", "--build", "build", "--target", *targets, "--", f"-j{jobs}"]).returncode


def test_programs(targets):
    programs = []
    for target in targets:
        hits = [p for p in (BUILD / "tests").rglob(target) if p.is_file() and os.access(p, os.X_OK)]
        if not hits:
            sys.exit(f"mutate: test program {target} was not built")
        programs.append(hits[0])
    return programs


def tests_pass(programs, timeouts):
    """True when every program passes; a hang counts as a failure."""
    for program in programs:
        try:
            result = subprocess.run([str(program), "--gtest_fail_fast", "--gtest_brief=1"],
                                    cwd=program.parent, timeout=timeouts[program],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except subprocess.TimeoutExpired:
            return False
        if result.returncode != 0:
            return False
    return True


def tests_of(relative):
    if relative in FILE_TESTS:
        return FILE_TESTS[relative]
    folder = Path(relative).parent
    while str(folder) not in LAYER_TESTS:
        if str(folder) in (".", ""):
            return None
        folder = folder.parent
    return LAYER_TESTS[str(folder)]


# ---------------------------------------------------------------------------------------------


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("files", nargs="+", help="source files, relative to the tree's top")
    parser.add_argument("-n", type=int, default=40, help="mutants per file (default 40)")
    parser.add_argument("--seed", default="1", help="sampling seed (default 1)")
    parser.add_argument("-j", type=int, default=2, help="build jobs (default 2)")
    parser.add_argument("--list", action="store_true", help="only print the sampled mutants")
    args = parser.parse_args()

    plans = []
    for name in args.files:
        relative = os.path.relpath(Path(name).resolve(), ROOT)
        if relative.startswith("..") or not (ROOT / relative).is_file():
            sys.exit(f"mutate: {name} is not a file of this tree")
        targets = tests_of(relative)
        if targets is None:
            sys.exit(f"mutate: no tests are known for {relative} (see LAYER_TESTS)")
        lines = (ROOT / relative).read_text().split("\n")
        plans.append((relative, targets, lines, sample(relative, lines, args.n, args.seed)))

    if args.list:
        for relative, _, lines, mutants in plans:
            for index, new, what in mutants:
                print(f"{relative}:{index + 1}: {what}: {new.strip()}")
        return 0

    WORK.mkdir(exist_ok=True)
    sync_copy()
    configure()

    # Whatever happens, the scratch file gets its text back.
    current = {}

    def restore(*_):
        for target, text in current.items():
            target.write_text(text)
        current.clear()

    def interrupted(signum, _frame):
        restore()
        sys.exit(128 + signum)

    signal.signal(signal.SIGINT, interrupted)
    signal.signal(signal.SIGTERM, interrupted)

    results = []
    try:
        for relative, targets, lines, mutants in plans:
            if build(targets, args.j) != 0:
                sys.exit(f"mutate: the unchanged tree does not build ({' '.join(targets)})")
            programs = test_programs(targets)
            timeouts = {}
            for program in programs:
                started = time.monotonic()
                if not tests_pass([program], {program: 1800}):
                    sys.exit(f"mutate: {program.name} fails without any mutant")
                timeouts[program] = 3 * (time.monotonic() - started) + 30
            print(f"{relative}: {len(mutants)} mutants, tests {' '.join(targets)}", flush=True)

            target = COPY / relative
            killed, survived, unbuilt = 0, [], 0
            for number, (index, new, what) in enumerate(mutants, 1):
                current[target] = "\n".join(lines)
                changed = list(lines)
                changed[index] = new
                target.write_text("\n".join(changed))
                # One program at a time: most mutants are killed by the first, and the others
                # need not even be linked then.
                verdict = "SURVIVED"
                for position, program in enumerate(programs):
                    if build([targets[position]], args.j) != 0:
                        verdict = "no build"
                        break
                    if not tests_pass([program], timeouts):
                        verdict = "killed"
                        break
                if verdict == "no build":
                    unbuilt += 1
                elif verdict == "killed":
                    killed += 1
                else:
                    survived.append((index, what, lines[index].strip(), new.strip()))
                restore()
                print(f"  [{number}/{len(mutants)}] {relative}:{index + 1} {what}: {verdict}",
                      flush=True)
            results.append((relative, killed, survived, unbuilt))
            print(f"  {score_line(relative, killed, survived, unbuilt)}", flush=True)
    finally:
        restore()

    print("\nSurviving mutants:")
    for relative, _, survived, _ in results:
        for index, what, old, new in survived:
            print(f"{relative}:{index + 1}: {what}\n    - {old}\n    + {new}")
    print("\nScore per file (killed / built mutants):")
    for relative, killed, survived, unbuilt in results:
        print(f"  {score_line(relative, killed, survived, unbuilt)}")
    return 0


def score_line(relative, killed, survived, unbuilt):
    built = killed + len(survived)
    score = 100.0 * killed / built if built else 0.0
    return (f"{relative}: {killed}/{built} killed = {score:.0f} % "
            f"({len(survived)} survived, {unbuilt} did not build)")


if __name__ == "__main__":
    sys.exit(main())
