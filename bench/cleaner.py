"""Benchmark (by hand, not a test): how long the Temp Files clean of the real Dustvale.exe takes
under Wine beside `cmd /c rd /s /q` on an identical tree, for 10,000 and 50,000 files, and what
one file costs at each size, so that it shows whether the cost grows linearly; then deep trees:
300 levels with a file in each, and a 32,000-character path (128 levels of 250-character names,
a file in each), which under Wine the clean empties by moving folders up on the way; then the
clean raced by another program swapping its folders for links to an outside folder, run after
run, counting the outside files lost or changed (tests/e2e/link_race.py).

    /usr/bin/python3 bench/cleaner.py [--build build/mingw-x64] [--files 10000 50000]
                                      [--deep-runs 3] [--race-runs 50]

The build folder is a MinGW build (cmake --preset mingw) holding Dustvale.exe and the helpers of
the end-to-end tests. Both trees are generated before either deletion runs, in the same Wine
prefix; the clean is timed from the click on OK to the done box showing (seen within about 10 ms
by WindowTree.exe), rd from its start to its end (its process start included, printed apart).
Each size runs twice (small, large, large, small) and the aims are checked on the means: the
clean within 1.5 times rd's time, and the cost of one file at the largest size within 1.2 times
its cost at the smallest. The deep trees are timed the same way, each alone in the temporary
folder, without rd: Wine 8's rd deletes nothing of the 300-level tree, and given the long path
it deletes what lies in its current folder instead (docs/wine.md). The race's aim: no outside
file lost or changed in any run. Writes
cleaner.md and cleaner.json into <build>/bench; exits with 3 when an aim is missed.
"""

import argparse
import json
import os
import statistics
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))

import harness  # noqa: E402
import link_race  # noqa: E402
import temp_clean  # noqa: E402
import windows  # noqa: E402

FILES_PER_FOLDER = 100
FOLDERS_PER_BRANCH = 10
TEMP = "C:\\Temp"
RD_TREE = "C:\\rdtree"
# Generous bounds: the benchmark must end even when the clean is very slow.
CLEAN_TIMEOUT = 1800
RD_TIMEOUT = 1800
AIM_TO_RD = 1.5
AIM_PER_FILE_GROWTH = 1.2
DEEP_LEVELS = 300
LONG_LEVELS = 128
LONG_NAME = 250


def make_tree(root, files):
    """files files in nested folders: branches of FOLDERS_PER_BRANCH folders of
    FILES_PER_FOLDER files each."""
    per_branch = FILES_PER_FOLDER * FOLDERS_PER_BRANCH
    made = 0
    for branch in range((files + per_branch - 1) // per_branch):
        for folder in range(FOLDERS_PER_BRANCH):
            path = os.path.join(root, f"branch{branch:03d}", f"folder{folder:02d}")
            os.makedirs(path)
            for n in range(FILES_PER_FOLDER):
                if made == files:
                    return
                with open(os.path.join(path, f"file{n:03d}.tmp"), "wb") as f:
                    f.write(b"temporary data\n")
                made += 1


def count_files(root):
    return sum(len(files) for _, _, files in os.walk(root))


def deep_trees():
    """(label, folder names below the tree's own folder, Windows length of its deepest path below
    C:\\Temp) of the deep trees: a file "f.txt" lies in every folder."""
    long_names = [f"{n:03d}" + "x" * (LONG_NAME - 3) for n in range(LONG_LEVELS)]
    trees = []
    for label, names in ((f"{DEEP_LEVELS} levels", ["d"] * (DEEP_LEVELS - 1)),
                         (f"{LONG_LEVELS} levels of {LONG_NAME} characters", long_names)):
        length = len(TEMP) + len("\\tree") + sum(len(n) + 1 for n in names) + len("\\f.txt")
        trees.append((label, names, length))
    return trees


def make_deep_tree(root, names):
    temp_clean.make_chain(root, names, {level: "f.txt" for level in range(-1, len(names))})


def time_deep(s, runs):
    """Times the clean of each deep tree, `runs` times; one record per tree and run."""
    temp_root = s.unix_path(TEMP)
    records = []
    for run in range(1, runs + 1):
        for label, names, length in deep_trees():
            make_deep_tree(os.path.join(temp_root, "tree"), names)
            entries = len(temp_clean.deep_entries(temp_root))
            clean = time_clean(s)
            left = len(temp_clean.deep_entries(temp_root))
            if left:
                raise AssertionError(f"the clean left {left} of {entries} entries of {label}")
            records.append({"tree": label, "run": run, "entries": entries, "path": length,
                            "dustvale_s": clean})
            print(f"{label} ({entries} entries, path of {length:,} characters), run {run}: "
                  f"Dustvale {clean:.2f} s", flush=True)
    return records


def deep_table(records):
    if not records:
        return ""
    lines = ["", "Deep trees, each alone in the temporary folder (a file in every folder):", "",
             "| tree | entries | longest path (characters) | Dustvale (s, median) "
             "| slowest (s) | runs |",
             "|---|---:|---:|---:|---:|---:|"]
    for label, _, _ in deep_trees():
        mine = [r for r in records if r["tree"] == label]
        lines.append(f"| {label} | {mine[0]['entries']:,} | {mine[0]['path']:,} "
                     f"| {statistics.median(r['dustvale_s'] for r in mine):.2f} "
                     f"| {max(r['dustvale_s'] for r in mine):.2f} | {len(mine)} |")
    return "\n".join(lines) + "\n"


def time_clean(s):
    """Seconds from the click on OK to the done box."""
    s.choose_temp_files()
    box, _ = s.wait_for_box(temp_clean.QUESTION, 15)
    watcher = s.window_tree.watch_for_box(temp_clean.DONE, CLEAN_TIMEOUT)
    try:
        time.sleep(2)  # the watcher is up and polling before the clean starts
        if watcher.poll() is not None:
            raise AssertionError(f"{windows.TOOL} ended before the clean started")
        s.click_button(box, "OK")
        started = time.monotonic()
        while watcher.poll() is None:
            if time.monotonic() - started > CLEAN_TIMEOUT + 30:
                raise harness.WaitFailed(f"no done box within {CLEAN_TIMEOUT} s")
            time.sleep(0.005)
        took = time.monotonic() - started
        if watcher.returncode != 0:
            raise AssertionError(f"no done box within {CLEAN_TIMEOUT} s")
    finally:
        if watcher.poll() is None:
            watcher.kill()
        watcher.wait(timeout=10)
    done = windows.box_showing(windows.parse(watcher.stdout.read().decode("utf-8")),
                               temp_clean.DONE)
    if done is None:
        raise AssertionError("the done box went before it could be listed")
    s.click_button(done, "OK")
    harness.wait_until("the done box to close", lambda: not s.boxes(), 10)
    return took


def time_command(s, *command):
    started = time.monotonic()
    s.wine("cmd", "/c", *command, timeout=RD_TIMEOUT)
    return time.monotonic() - started


def time_rd(s, path):
    return time_command(s, "rd", "/s", "/q", path)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(HERE, "..", "build", "mingw-x64"))
    parser.add_argument("--files", type=int, nargs="*", default=[10000, 50000])
    parser.add_argument("--deep-runs", type=int, default=3,
                        help="runs of the clean on each deep tree (0: none)")
    parser.add_argument("--race-runs", type=int, default=0,
                        help="runs of Temp Files raced by a link swapper (0: none)")
    args = parser.parse_args(argv)
    build = os.path.abspath(args.build)
    template = os.path.join(build, "wine", "e2e-template")
    harness.prepare_template(template)
    os.environ.update({
        "DUSTVALE_EXE": os.path.join(build, "main", "Dustvale.exe"),
        windows.TOOL_VARIABLE: os.path.join(build, "tests", "e2e", windows.TOOL),
        "DUSTVALE_HOLD_FILE_EXE": os.path.join(build, "tests", "e2e", "HoldFile.exe"),
        "DUSTVALE_E2E_TEMPLATE": template,
        "DUSTVALE_E2E_ARTIFACTS": os.path.join(build, "e2e-artifacts"),
    })
    rows = []
    with temp_clean.CleanSession("bench-cleaner", TEMP) as s:
        s.wait_for_app()
        harness.wait_until("an icon in the tray", s.tray_shows_icon, 30)
        start_cost = min(time_command(s, "rem") for _ in range(3))
        temp_root, rd_root = s.unix_path(TEMP), s.unix_path(RD_TREE)
        # Each size twice, in the order small, large, large, small: a disk that speeds up or
        # slows down during the run then weighs on every size alike.
        for files in args.files + args.files[::-1]:
            make_tree(os.path.join(temp_root, "tree"), files)
            make_tree(os.path.join(rd_root, "tree"), files)
            assert count_files(temp_root) == count_files(rd_root) == files
            clean = time_clean(s)
            if os.listdir(temp_root):
                raise AssertionError(f"the clean left {count_files(temp_root)} files")
            rd = time_rd(s, RD_TREE + "\\tree")
            if os.listdir(rd_root):
                raise AssertionError(f"rd left {count_files(rd_root)} files")
            rows.append((files, clean, rd))
            print(f"{files} files: Dustvale {clean:.2f} s, rd {rd:.2f} s, "
                  f"ratio {clean / rd:.2f}", flush=True)
        deep = time_deep(s, args.deep_runs)
    races = race(args.race_runs) if args.race_runs > 0 else []
    report = report_table(rows, start_cost) + deep_table(deep) + race_table(races)
    print()
    print(report)
    out = os.path.join(build, "bench")
    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, "cleaner.md"), "w") as f:
        f.write(report)
    with open(os.path.join(out, "cleaner.json"), "w") as f:
        json.dump({"rd_start_s": start_cost,
                   "rows": [{"files": n, "dustvale_s": c, "rd_s": r} for n, c, r in rows],
                   "deep": deep,
                   "races": races}, f, indent=1)
    missed = missed_aims(rows) + [f"race run {r['run']}: {len(r['lost'])} outside files lost, "
                                  f"{len(r['changed'])} changed"
                                  for r in races if r["lost"] or r["changed"]]
    for what in missed:
        print(f"aim missed: {what}")
    return 0 if not missed else 3


def race(runs):
    """Runs the raced clean `runs` times in one session; one record per run."""
    records = []
    with temp_clean.CleanSession("bench-cleaner-race", TEMP) as s:
        s.wait_for_app()
        harness.wait_until("an icon in the tray", s.tray_shows_icon, 30)
        for run in range(1, runs + 1):
            before, after, swaps, left, took = link_race.race_once(s)
            lost, changed = link_race.harm(before, after)
            records.append({"run": run, "swaps": swaps, "clean_s": took, "left": left,
                            "lost": lost, "changed": changed})
            print(f"race run {run}: {swaps} swaps, clean {took:.2f} s, {left} temporary files "
                  f"left, {len(lost)} outside files lost, {len(changed)} changed", flush=True)
    return records


def race_table(races):
    if not races:
        return ""
    files = link_race.FOLDERS * link_race.FILES_PER_FOLDER
    harmed = [r for r in races if r["lost"] or r["changed"]]
    return "\n".join([
        "",
        f"Raced: {len(races)} runs of Temp Files on {link_race.FOLDERS} folders of "
        f"{link_race.FILES_PER_FOLDER} files while another process swapped each folder for a "
        f"link to an outside folder of {link_race.CANARIES} files and back, about every "
        "millisecond (aim: nothing outside lost or changed)",
        "",
        "| runs | outside files lost | changed | runs with harm | swaps per run (mean) "
        "| clean (s, mean) | temporary files deleted (mean) |",
        "|---:|---:|---:|---:|---:|---:|---:|",
        f"| {len(races)} | {sum(len(r['lost']) for r in races)} "
        f"| {sum(len(r['changed']) for r in races)} | {len(harmed)} "
        f"| {statistics.mean(r['swaps'] for r in races):.0f} "
        f"| {statistics.mean(r['clean_s'] for r in races):.2f} "
        f"| {statistics.mean(files - r['left'] for r in races):.0f} of {files} |",
    ]) + "\n"


def per_file_ms(files, seconds):
    return seconds * 1000 / files


def by_size(rows):
    """[(files, mean clean seconds, mean rd seconds)] in the order of the sizes."""
    sizes = sorted({files for files, _, _ in rows})
    return [(n, statistics.mean(c for f, c, _ in rows if f == n),
             statistics.mean(r for f, _, r in rows if f == n)) for n in sizes]


def report_table(rows, start_cost):
    lines = [f"{harness.wine.version()}; rd's times include starting cmd "
             f"(about {start_cost:.2f} s); `/usr/bin/python3 bench/cleaner.py`"]
    if not rows:
        return lines[0] + "\n"
    lines += ["", "| files | Dustvale (s) | rd /s /q (s) | ratio | aim | Dustvale per file (ms) "
             "| rd per file (ms) |",
             "|---:|---:|---:|---:|---:|---:|---:|"]
    for files, clean, rd in rows:
        lines.append(f"| {files:,} | {clean:.2f} | {rd:.2f} | {clean / rd:.2f} "
                     f"| ≤ {AIM_TO_RD} | {per_file_ms(files, clean):.3f} "
                     f"| {per_file_ms(files, rd):.3f} |")
    sizes = by_size(rows)
    for files, clean, rd in sizes:
        lines.append(f"| {files:,}, mean | {clean:.2f} | {rd:.2f} | {clean / rd:.2f} "
                     f"| ≤ {AIM_TO_RD} | {per_file_ms(files, clean):.3f} "
                     f"| {per_file_ms(files, rd):.3f} |")
    if len(sizes) > 1:
        (small, small_clean, small_rd), (large, large_clean, large_rd) = sizes[0], sizes[-1]
        growth = per_file_ms(large, large_clean) / per_file_ms(small, small_clean)
        rd_growth = per_file_ms(large, large_rd) / per_file_ms(small, small_rd)
        lines.append("")
        lines.append(f"Cost of one file at {large:,} files / at {small:,} files: Dustvale "
                     f"{growth:.2f} (aim ≤ {AIM_PER_FILE_GROWTH}), rd {rd_growth:.2f}")
    return "\n".join(lines) + "\n"


def missed_aims(rows):
    sizes = by_size(rows)
    missed = [f"{files} files: {clean / rd:.2f} times rd's time"
              for files, clean, rd in sizes if clean / rd > AIM_TO_RD]
    if len(sizes) > 1:
        (small, small_clean, _), (large, large_clean, _) = sizes[0], sizes[-1]
        growth = per_file_ms(large, large_clean) / per_file_ms(small, small_clean)
        if growth > AIM_PER_FILE_GROWTH:
            missed.append(f"one file costs {growth:.2f} times as much at {large} files")
    return missed


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
