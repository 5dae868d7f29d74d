#!/usr/bin/env python3
"""Quidora side by side with established command-line finance tools on identical data.

For each size (100,000 and 1,000,000 money records by default) the same records are written as
a Quidora device home, as a journal for ledger and hledger and as a plain SQL table, and the same
four jobs run with every tool, the runs of the tools alternating:

  J1  every account's balance over 2010-01-01..2010-12-31 and the grand total
      (Quidora: quidora-cli accounts; also a plain sqlite3 aggregate over the table)
  J2  the category totals of one account (Cash) over the same year (quidora-cli categories)
  J3  that account's records, in date order, to a CSV file (quidora-cli records --format csv)
  J4  start-up: open the data and show the account's records sorted by date
      (Quidora: the device program's start-up to its first painted screen, offscreen)

Before any time is reported, every tool's answer is checked against Quidora's to the cent (J1:
every balance and the total; J2: every category total; J3: the number of records, their sum
and their date order; J4: the number of records shown); any difference ends the script with
status 1. Times are wall-clock medians of whole processes, memory the peak resident size
(GNU time's %M). At 1,000,000 records the targets are checked too (status 1 when one is missed):
J1-J3 at least 25 times faster than ledger, J1 within 4 times the plain sqlite3 aggregate,
every Quidora job's peak memory at most a tenth of ledger's.

Standard library only. Run it through `make compare`, which builds the bench preset first.
"""

import argparse
import csv
import io
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from decimal import Decimal
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
GENERATOR_VERSION = "2"  # change when the generated data changes, so old data is remade
SEED = 1
ACCOUNT = "Cash"
START, END = "2010-01-01", "2010-12-31"
TOOLS = ("quidora", "ledger", "hledger", "sqlite3")
JOBS = {
    "J1": "balances of all accounts, 2010",
    "J2": "category totals of Cash, 2010",
    "J3": "records of Cash by date to CSV",
    "J4": "start-up, Cash by date shown",
}


class Disagreement(Exception):
    pass


def say(text):
    print(text, flush=True)


def install_missing():
    """ledger, hledger, GNU time and sqlite3 from Debian's packages, when missing."""
    wanted = {"ledger": "ledger", "hledger": "hledger", "sqlite3": "sqlite3", "time": "time"}
    missing = [package for program, package in wanted.items()
               if shutil.which(program) is None and not (program == "time" and Path("/usr/bin/time").exists())]
    if not missing:
        return
    say(f"compare: installing {' '.join(missing)}")
    sudo = [] if os.geteuid() == 0 else ["sudo"]
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    subprocess.run(sudo + ["apt-get", "update", "-q"], check=True, env=env)
    subprocess.run(sudo + ["apt-get", "install", "-y", "-q", "--no-install-recommends"] + missing,
                   check=True, env=env)


def tool_version(argv):
    try:
        out = subprocess.run(argv, capture_output=True, text=True, check=False).stdout
        return out.splitlines()[0].strip() if out else "?"
    except OSError:
        return "?"


def cents(text):
    """'-1,234.5' or '2500' (ledger, hledger, CSV) to whole cents."""
    value = Decimal(text.replace(",", "").strip())
    whole = value * 100
    if whole != whole.to_integral_value():
        raise Disagreement(f"amount {text!r} is not whole cents")
    return int(whole)


# ---------------------------------------------------------------------------------------------
# Data


def make_data(size, data_root, build):
    folder = data_root / str(size)
    stamp = folder / "stamp"
    expected = f"{GENERATOR_VERSION} {size} {SEED}\n"
    if stamp.exists() and stamp.read_text() == expected:
        return folder
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    say(f"compare: generating {size} records in {folder}")
    subprocess.run([str(build / "bench/compare/quidora_compare_data"), "--records", str(size),
                    "--home", str(folder / "home"), "--journal", str(folder / "journal.ledger"),
                    "--rows", str(folder / "rows.tsv"), "--seed", str(SEED)], check=True)
    script = ("CREATE TABLE money(key INTEGER, account TEXT, date INTEGER, type INTEGER,"
              " amount INTEGER, category TEXT, memo TEXT);\n"
              ".mode tabs\n"
              f".import {folder / 'rows.tsv'} money\n")
    subprocess.run(["sqlite3", str(folder / "plain.sqlite")], input=script, text=True, check=True)
    stamp.write_text(expected)
    return folder


def warm_page_cache(folder):
    for path in folder.rglob("*"):
        if path.is_file():
            with open(path, "rb") as f:
                while f.read(1 << 20):
                    pass


# ---------------------------------------------------------------------------------------------
# Jobs: the command of each tool, and how to read its answer


def commands(folder, build, runtime):
    cli = str(build / "cli/quidora-cli")
    first_paint = str(build / "bench/compare/quidora_first_paint")
    journal = str(folder / "journal.ledger")
    table = str(folder / "plain.sqlite")
    ledger = ["ledger", "--args-only", "-f", journal]
    hledger = ["hledger", "-f", journal]
    account = f"^Assets:{ACCOUNT}$"
    ledger_range = ["-b", START.replace("-", "/"), "-e", "2011/01/01"]
    hledger_range = ["-b", START, "-e", "2011-01-01"]
    quidora_range = ["--from", START, "--to", END]
    aggregate = ("SELECT account, SUM(CASE type WHEN 0 THEN amount ELSE -amount END) FROM money"
                 f" WHERE date BETWEEN {START.replace('-', '')} AND {END.replace('-', '')}"
                 " GROUP BY account;")
    return {
        "J1": {
            "quidora": [cli, "accounts", *quidora_range, "--format", "json"],
            "ledger": ledger + ["--flat", "balance", "^Assets:", *ledger_range],
            "hledger": hledger + ["balance", "^Assets:", *hledger_range, "-O", "csv"],
            "sqlite3": ["sqlite3", table, aggregate],
        },
        "J2": {
            "quidora": [cli, "categories", ACCOUNT, *quidora_range, "--format", "json"],
            "ledger": ledger + ["--flat", "balance", "--related", account, *ledger_range],
            "hledger": hledger + ["balance", "--related", account, *hledger_range, "-O", "csv"],
        },
        "J3": {
            "quidora": [cli, "records", ACCOUNT, "--format", "csv"],
            "ledger": ledger + ["csv", account, "--sort", "date"],
            "hledger": hledger + ["register", account, "-O", "csv"],
        },
        "J4": {
            "quidora": [first_paint],
            "ledger": ledger + ["register", account, "--sort", "date"],
            "hledger": hledger + ["register", account],
        },
    }


def environment(folder, runtime):
    env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "LANG": "C.UTF-8", "LC_ALL": "C.UTF-8",
           "TZ": "UTC", "HOME": str(runtime), "QUIDORA_HOME": str(folder / "home"),
           "XDG_RUNTIME_DIR": str(runtime), "QT_QPA_PLATFORM": "offscreen", "QT_SCALE_FACTOR": "1"}
    return env


def ledger_balances(text, prefix):
    """`ledger --flat balance` lines: '<amount>  <account>', then a rule and the total."""
    rows, total = {}, None
    lines = [line for line in text.splitlines() if line.strip()]
    for line in lines:
        if line.strip().startswith("---"):
            continue
        parts = line.split(None, 1)
        if len(parts) == 2 and parts[1].startswith(prefix):
            rows[parts[1][len(prefix):]] = cents(parts[0])
        elif len(parts) == 1:
            total = cents(parts[0])
    if total is None:
        total = sum(rows.values())
    return rows, total


def hledger_balances(text, prefix):
    rows, total = {}, None
    for record in list(csv.reader(io.StringIO(text)))[1:]:
        if record[0] == "total":
            total = cents(record[1])
        elif record[0].startswith(prefix):
            rows[record[0][len(prefix):]] = cents(record[1])
    return rows, total


def records_summary(rows, date_of, amount_of):
    dates = [date_of(r) for r in rows]
    return {"count": len(rows), "sum": sum(amount_of(r) for r in rows),
            "in date order": all(a <= b for a, b in zip(dates, dates[1:]))}


def answer(job, tool, text):
    """What a tool answered, in a form that compares to the cent."""
    if job == "J1":
        if tool == "quidora":
            data = json.loads(text)
            return {r["account"]: r["balance"] for r in data["accounts"]}, data["total"]
        if tool == "ledger":
            return ledger_balances(text, "Assets:")
        if tool == "hledger":
            return hledger_balances(text, "Assets:")
        rows = {name: int(value) for name, value in (line.split("|") for line in text.split())}
        return rows, sum(rows.values())
    if job == "J2":
        if tool == "quidora":
            return {r["category"]: r["total"] for r in json.loads(text)["categories"]}
        # The other side of each transaction: income credits the category, so the signs flip.
        rows, _ = (ledger_balances if tool == "ledger" else hledger_balances)(text, "Categories:")
        return {name: -value for name, value in rows.items()}
    if job == "J3":
        rows = list(csv.reader(io.StringIO(text)))
        if tool == "quidora":
            return records_summary(rows[1:], lambda r: r[0], lambda r: cents(r[2]))
        if tool == "ledger":
            return records_summary(rows, lambda r: r[0].replace("/", "-"), lambda r: cents(r[5]))
        return records_summary(rows[1:], lambda r: r[1], lambda r: cents(r[5]))
    if tool == "quidora":
        return int(text.split()[0])
    return len([line for line in text.splitlines() if line.strip()])


def comparable(job, value):
    """Zero balances may be left out by a tool; they carry no information."""
    if job == "J1":
        rows, total = value
        return {k: v for k, v in rows.items() if v != 0}, total
    if job == "J2":
        return {k: v for k, v in value.items() if v != 0}
    return value


# ---------------------------------------------------------------------------------------------
# Running


def run_once(argv, env, out_path):
    """Wall-clock seconds and peak resident kilobytes of one whole process."""
    with tempfile.NamedTemporaryFile("r", suffix=".time") as timing, open(out_path, "wb") as out:
        started = time.perf_counter()
        done = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", timing.name] + argv, env=env,
                              stdout=out, stderr=subprocess.PIPE, check=False)
        seconds = time.perf_counter() - started
        lines = [line for line in timing.read().splitlines() if line.strip()]
    if done.returncode != 0:
        raise Disagreement(f"{' '.join(argv)} failed ({done.returncode}): "
                           f"{done.stderr.decode(errors='replace')[-500:]}")
    return seconds, int(lines[-1])


def compare_size(size, args, build, results):
    folder = make_data(size, args.data, build)
    runtime = Path(tempfile.mkdtemp(prefix="quidora-compare-"))
    os.chmod(runtime, 0o700)
    try:
        env = environment(folder, runtime)
        jobs = commands(folder, build, runtime)
        tools = [t for t in TOOLS if t not in args.skip]
        warm_page_cache(folder)

        # One run of everything first: the answers must agree before any time counts.
        say(f"compare: {size} records: checking every tool's answers against Quidora's")
        for job, by_tool in jobs.items():
            out = runtime / f"{job}.out"
            run_once(by_tool["quidora"], env, out)
            expected = comparable(job, answer(job, "quidora", out.read_text()))
            for tool, argv in by_tool.items():
                if tool == "quidora" or tool not in tools:
                    continue
                run_once(argv, env, out)
                got = comparable(job, answer(job, tool, out.read_text()))
                if got != expected:
                    raise Disagreement(f"{size} records, {job}: {tool} answered {got}, "
                                       f"Quidora {expected}")
            if job == "J3" and not expected["in date order"]:
                raise Disagreement(f"{size} records, J3: Quidora's records are not in date order")
            say(f"  {job} agrees: {summary_of(job, expected)}")

        repeats = args.repeats or (3 if size >= 1_000_000 else 5)
        say(f"compare: {size} records: {repeats} timed runs of each job and tool, alternating")
        samples = {}
        for repeat in range(repeats):
            for job, by_tool in jobs.items():
                for tool, argv in by_tool.items():
                    if tool not in tools:
                        continue
                    seconds, kilobytes = run_once(argv, env, runtime / f"{job}-{tool}.out")
                    samples.setdefault((job, tool), []).append((seconds, kilobytes))
            say(f"  run {repeat + 1} of {repeats} done")
        for (job, tool), runs in samples.items():
            results[(size, job, tool)] = (statistics.median(s for s, _ in runs),
                                          max(k for _, k in runs))
    finally:
        shutil.rmtree(runtime, ignore_errors=True)


def summary_of(job, value):
    if job == "J1":
        rows, total = value
        return f"{len(rows)} accounts, total {total} cents"
    if job == "J2":
        return f"{len(value)} categories, total {sum(value.values())} cents"
    if job == "J3":
        return f"{value['count']} records, sum {value['sum']} cents, in date order"
    return f"{value} records shown"


# ---------------------------------------------------------------------------------------------
# Report


def cell(results, key):
    if key not in results:
        return "-"
    seconds, kilobytes = results[key]
    return f"{seconds:.3f} s, {kilobytes / 1024:.0f} MB"


def report(results, sizes, versions):
    lines = []
    for size in sizes:
        lines.append(f"\n{size:,} money records (median wall-clock time of whole processes, "
                     "peak resident memory)\n")
        lines.append("| Job | Quidora | ledger | hledger | sqlite3 | ledger / Quidora |")
        lines.append("|---|---|---|---|---|---|")
        for job, title in JOBS.items():
            row = [f"{job} {title}"] + [cell(results, (size, job, t)) for t in TOOLS]
            q, l = results.get((size, job, "quidora")), results.get((size, job, "ledger"))
            row.append(f"{l[0] / q[0]:.0f}x" if q and l else "-")
            lines.append("| " + " | ".join(row) + " |")
    lines.append("\nTools: " + "; ".join(versions))
    return "\n".join(lines)


def check_targets(results, size):
    """The targets at this size; returns the lines of verdicts and whether all hold."""
    verdicts, ok = [], True

    def verdict(holds, text):
        nonlocal ok
        ok = ok and holds
        verdicts.append(f"  {'PASS' if holds else 'MISS'} {text}")

    for job in ("J1", "J2", "J3"):
        q, l = results.get((size, job, "quidora")), results.get((size, job, "ledger"))
        if q and l:
            verdict(l[0] / q[0] >= 25, f"{job}: ledger / Quidora = {l[0] / q[0]:.1f} (at least 25)")
    q, s = results.get((size, "J1", "quidora")), results.get((size, "J1", "sqlite3"))
    if q and s:
        verdict(q[0] / s[0] <= 4, f"J1: Quidora / plain sqlite3 = {q[0] / s[0]:.2f} (at most 4)")
    for job in JOBS:
        q, l = results.get((size, job, "quidora")), results.get((size, job, "ledger"))
        if q and l:
            verdict(q[1] * 10 <= l[1], f"{job}: Quidora peak {q[1] / 1024:.0f} MB, ledger "
                                       f"{l[1] / 1024:.0f} MB (at most a tenth)")
    return verdicts, ok


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--sizes", default="100000,1000000",
                        help="money record counts, comma-separated (default 100000,1000000)")
    parser.add_argument("--repeats", type=int, default=0,
                        help="timed runs per job and tool (default 5, and 3 from 1,000,000 up)")
    parser.add_argument("--skip", default="", help="tools to leave out, comma-separated "
                        "(ledger, hledger, sqlite3)")
    parser.add_argument("--build", default=str(ROOT / "build-bench"),
                        help="the bench build folder (default build-bench)")
    parser.add_argument("--data", default=os.environ.get("QUIDORA_COMPARE_DATA",
                                                         "/tmp/quidora-compare-data"),
                        help="where generated data is kept between runs")
    parser.add_argument("--out", default="", help="also write the table to this file")
    args = parser.parse_args()
    args.skip = {t for t in args.skip.split(",") if t}
    args.data = Path(args.data)
    sizes = [int(s) for s in args.sizes.split(",") if s]
    build = Path(args.build).resolve()
    for binary in ("cli/quidora-cli", "bench/compare/quidora_compare_data",
                   "bench/compare/quidora_first_paint"):
        if not (build / binary).exists():
            sys.exit(f"compare: {build / binary} is missing (build with the bench preset first)")

    install_missing()
    versions = [tool_version(["ledger", "--version"]), tool_version(["hledger", "--version"]),
                "sqlite3 " + tool_version(["sqlite3", "--version"]).split()[0],
                f"{os.cpu_count()} cores"]
    results = {}
    try:
        for size in sizes:
            compare_size(size, args, build, results)
    except Disagreement as problem:
        say(f"compare: FAILED: {problem}")
        return 1

    table = report(results, sizes, versions)
    say(table)
    status = 0
    for size in sizes:
        if size >= 1_000_000:
            verdicts, ok = check_targets(results, size)
            say(f"\nTargets at {size:,} records:")
            say("\n".join(verdicts))
            table += f"\n\nTargets at {size:,} records:\n" + "\n".join(verdicts)
            status = status if ok else 1
    if args.out:
        Path(args.out).write_text(table + "\n")
    return status


if __name__ == "__main__":
    sys.exit(main())
