"""Benchmark (by hand, not a test): one run of removal by age ("Empty items deleted more than
30 days ago") on a large Trash under Wine, as Dustvale's Recycle Bin worker runs it.

    /usr/bin/python3 bench/removal.py [--build build/mingw-x64] [--items 10000 50000]
                                      [--runs 3]

For each size and run, on a prefix and Trash of their own, the Trash is filled with that many
files (each with its .trashinfo), every other one trashed 60 days ago and the rest a day ago, so
that half are past the limit. Then TrashAgeRun.exe (bench/tools) lists the items, reads each
one's date from its .trashinfo, chooses with the age rule and removes the chosen ones in
batches, each file before its .trashinfo. It times itself: the listing with the dates, the
removal, and its own CPU time; the Wine server's CPU time over the run is read from Linux, as
the server does the work of every file call. The Trash's page cache is warm, as it is after
the count a start makes.

Prints a table of the medians and writes removal.md and removal.json into <build>/bench.
Exits with 3 when a run did not remove exactly the items past the limit.
"""

import argparse
import datetime
import json
import os
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))

import footprint  # noqa: E402
import harness  # noqa: E402

RUN_TIMEOUT = 1800


def fill_trash(s, items):
    """items files of 100 bytes, every other one trashed 60 days ago, the rest a day ago."""
    now = datetime.datetime.now()
    stamps = [(now - datetime.timedelta(days=d)).strftime("%Y-%m-%dT%H:%M:%S") for d in (60, 1)]
    data = bytes(100)
    for n in range(items):
        name = f"trashed{n:05d}.txt"
        with open(os.path.join(s.trash_files, name), "wb") as f:
            f.write(data)
        with open(os.path.join(s.trash_info, name + ".trashinfo"), "w") as f:
            f.write(f"[Trash Info]\nPath={s.home}/{name}\nDeletionDate={stamps[n % 2]}\n")


def wineserver_pid(s):
    for pid in harness._wine_processes(s.prefix):
        argv0 = harness._read_proc(pid, "cmdline").split(b"\0")[0]
        if os.path.basename(argv0).startswith(b"wineserver"):
            return pid
    return None


def one_run(build, items, run):
    tool = os.path.join(build, "bench", "TrashAgeRun.exe")
    s = harness.Session(f"removal-{items}-{run}", os.path.join(build, "main", "Dustvale.exe"),
                        os.path.join(build, "wine", "e2e-template"),
                        os.path.join(build, "bench", "artifacts"), manifest=True,
                        start_program=False, before_start=lambda s: fill_trash(s, items))
    with s:
        # The desktop alone: its Wine server serves the run as it serves Dustvale.
        harness.wait_until("the Wine server", lambda: wineserver_pid(s) is not None, 60)
        shutil.copy(tool, os.path.join(s.app_dir, "TrashAgeRun.exe"))
        server = wineserver_pid(s)
        # Warm: what a start's first count has read.
        for folder in (s.trash_files, s.trash_info):
            for name in os.listdir(folder):
                with open(os.path.join(folder, name), "rb") as f:
                    f.read()
        server_before = footprint.cpu_seconds(server)
        started = time.monotonic()
        # Its output into a file, not a pipe: a desktop process Wine may start for it inherits
        # the output and outlives it, and a pipe would only end with that process.
        output = os.path.join(s.artifacts, "TrashAgeRun.txt")
        with open(output, "wb") as out:
            done = subprocess.run(s.program(tool, s.app_path("TrashAgeRun.exe"), "30"),
                                  env=s.env, stdout=out, stderr=subprocess.STDOUT,
                                  timeout=RUN_TIMEOUT, stdin=subprocess.DEVNULL)
        wall = time.monotonic() - started
        server_cpu = footprint.cpu_seconds(server) - server_before
        with open(output, "rb") as f:
            printed = f.read().decode(errors="replace")
        line = [text for text in printed.splitlines() if text.startswith("listed=")]
        if done.returncode != 0 or not line:
            raise RuntimeError(f"TrashAgeRun.exe failed ({done.returncode}): {printed!r}")
        figures = dict(field.split("=", 1) for field in line[-1].split())
        left = len(s.trashed())
        result = {
            "items": items, "run": run,
            "listed": int(figures["listed"]), "dated": int(figures["dated"]),
            "chosen": int(figures["chosen"]), "removed": int(figures["removed"]),
            "list_s": float(figures["list_s"]), "remove_s": float(figures["remove_s"]),
            "program_cpu_s": float(figures["cpu_s"]), "server_cpu_s": server_cpu,
            "process_wall_s": wall, "left": left,
            "correct": int(figures["removed"]) == items // 2 and left == items - items // 2,
        }
        s.note(json.dumps(result))
        return result


def table(results):
    lines = ["| items | runs | list and date | remove | one age run | CPU: program | "
             "CPU: Wine server | per item | removed |",
             "|---:|---:|---:|---:|---:|---:|---:|---:|---|"]
    for items in sorted({r["items"] for r in results}):
        runs = [r for r in results if r["items"] == items]

        def med(key):
            return statistics.median(r[key] for r in runs)

        total = med("list_s") + med("remove_s")
        per_item_ms = 1000 * statistics.median(r["list_s"] + r["remove_s"] for r in runs) / items
        removed = "all past 30 days, none within" if all(r["correct"] for r in runs) else "WRONG"
        lines.append(f"| {items:,} | {len(runs)} | {med('list_s'):.1f} s | {med('remove_s'):.1f} s"
                     f" | **{total:.1f} s** | {med('program_cpu_s'):.1f} s | "
                     f"{med('server_cpu_s'):.1f} s | {per_item_ms:.2f} ms | {removed} |")
    return lines


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=os.path.join(HERE, "..", "build", "mingw-x64"))
    parser.add_argument("--items", type=int, nargs="+", default=[10000, 50000])
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args(argv)
    build = os.path.abspath(args.build)

    results = []
    for items in args.items:
        for run in range(1, args.runs + 1):
            result = one_run(build, items, run)
            print(json.dumps(result), flush=True)
            results.append(result)

    lines = ["# One run of removal by age on the Trash under Wine (medians; half the items past "
             "the limit)", "", *table(results), "",
             "List and date: both folders listed, trashed folders sized, every .trashinfo opened "
             "and read through its own handle. Remove: the chosen half in batches, each file then "
             "its .trashinfo, checked and deleted through handles, each batch's going seen in one "
             "reading of each folder. CPU: the program's own (its "
             "process), and the Wine server's over the same run."]
    text = "\n".join(lines) + "\n"
    print(text)
    out = os.path.join(build, "bench")
    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, "removal.md"), "w") as f:
        f.write(text)
    with open(os.path.join(out, "removal.json"), "w") as f:
        json.dump(results, f, indent=1)
    return 0 if all(r["correct"] for r in results) else 3


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
