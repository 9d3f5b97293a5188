"""Benchmark (by hand, not a test): what Dustvale.exe costs a desktop it runs on all day, beside
BaselineTray.exe, the least a Recycle Bin tray program can do, both under Wine in the same run.

    /usr/bin/python3 bench/footprint.py [--build build/mingw-x64] [--seconds 60] [--items 10000]
                                        [--sizes-of build/mingw-x86]
                                        [--rounds 10]
    /usr/bin/python3 bench/footprint.py --from-json <build>/bench/footprint.json
                                        (the table and the plot again, from a run's figures)

Three programs: Dustvale.exe, the baseline, and the baseline doing what Dustvale must (the
common controls loaded at start, the whole icon record sent at each tick), which shows where
Dustvale's costs above the baseline come from. For an empty Recycle Bin and for one holding
--items files:
- each program alone on one desktop, started in rounds that alternate between the programs
  (after one round to warm the caches): start-up, from the launch on a running desktop to the
  icon's pixels showing in the tray; one tick, the program's once-a-second work, run by a
  WM_TIMER that TickTimer.exe sends to its window, less the round trip of a WM_NULL; for
  Dustvale, the menu, from a click on the icon to the menu's pixels showing; medians of all;
- then the three side by side, each on a desktop of its own (own prefix, wineserver, X server
  and Trash), for --seconds after their icons show, measured from Linux on the Wine process
  that runs each: CPU time over that idle window (per thread, in nanoseconds) and in all; private
  memory as Wine reports it (anonymous memory, sampled every 200 ms), peak and final (the
  median of the last 10 s).
The executables' sizes are read from the build. Writes footprint.md, footprint.json and
footprint.png into <build>/bench; exits with 3 when an aim is missed.
"""

import argparse
import json
import os
import random
import statistics
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))

import harness  # noqa: E402
import xscreen  # noqa: E402

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
SAMPLE_SECONDS = 0.2
TICKS_PER_ROUND = 4
FINAL_SECONDS = 10
MENU_TIMEOUT = 30
# Messages sent to Dustvale's window at random moments, with a large bin, over this many
# seconds: long enough for several of its spaced-out counts.
ANSWERS = 300
ANSWER_SECONDS = 45
# Where a tray click opens Dustvale's menu, above and to the left of the icon: its upper part,
# clear of the icon's tooltip, which shows just above the taskbar once the pointer rests.
MENU_WATCH = (640, 470, 140, 70)
AWAY = (100, 100)


class Program:
    def __init__(self, name, key, exe, window_class, arguments=()):
        self.name = name
        self.key = key  # for names of folders and sessions
        self.exe = exe
        self.exe_name = os.path.basename(exe)
        self.window_class = window_class
        self.arguments = list(arguments)

    @property
    def windows_path(self):
        return "C:\\app\\" + self.exe_name


# ---- what Linux knows of a process ---------------------------------------------------------

def cpu_seconds(pid):
    """User plus system time of the process, all its threads, or None once it has ended: in
    clock ticks (10 ms) for the whole life, as the kernel counts it."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
    except OSError:
        return None
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def thread_cpu_ns(pid):
    """{thread id: nanoseconds on a CPU} for the live threads of the process: exact, where the
    clock ticks of cpu_seconds are too coarse for an idle minute."""
    found = {}
    try:
        tids = os.listdir(f"/proc/{pid}/task")
    except OSError:
        return None
    for tid in tids:
        try:
            with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                found[tid] = int(f.read().split()[0])
        except OSError:
            pass  # the thread ended meanwhile
    return found


def cpu_between(before, after):
    """Seconds on a CPU between two thread_cpu_ns readings; a thread that ended in between
    counts with what it had at the first reading."""
    return sum(ns - before.get(tid, 0) for tid, ns in after.items()) / 1e9


def private_bytes(pid):
    """What Wine answers for the process's private usage (GetProcessMemoryInfo): its anonymous
    memory, resident or swapped."""
    try:
        with open(f"/proc/{pid}/status") as f:
            lines = f.read().splitlines()
    except OSError:
        return None
    total = 0
    for line in lines:
        key, _, value = line.partition(":")
        if key in ("RssAnon", "VmSwap"):
            total += int(value.split()[0]) * 1024
    return total


class Sampler(threading.Thread):
    """Samples one process's CPU time and private memory until stopped."""

    def __init__(self, pid):
        super().__init__(daemon=True)
        self.pid = pid
        self.samples = []  # (monotonic time, cpu seconds, private bytes)
        self._halt = threading.Event()

    def run(self):
        while not self._halt.is_set():
            cpu, private = cpu_seconds(self.pid), private_bytes(self.pid)
            if cpu is None or private is None:
                break
            self.samples.append((time.monotonic(), cpu, private))
            self._halt.wait(SAMPLE_SECONDS)

    def stop(self):
        self._halt.set()
        self.join()


def session_cpu(session):
    """CPU seconds of every Wine process of the session (program, wineserver, desktop, ...)."""
    return sum(cpu_seconds(pid) or 0 for pid in harness._wine_processes(session.prefix))


# ---- a desktop with both programs beside it ------------------------------------------------

class Setup:
    """What is measured: the build's folder (the Wine template, the tools, the artifacts) and
    the Dustvale.exe that runs, the build's own unless another one is named."""

    def __init__(self, folder, dustvale=None):
        self.folder = folder
        self.dustvale = dustvale or dustvale_exe(folder)

    def path(self, *parts):
        return os.path.join(self.folder, *parts)


def open_session(name, programs, build, trash_items=0):
    """A desktop of its own, with Dustvale.exe (always: the session places it) and the programs
    in C:\\app, the Trash holding trash_items files; no program runs yet."""
    template = build.path("wine", "e2e-template")
    artifacts = build.path("bench", "artifacts")
    beside = {p.exe_name: open(p.exe, "rb").read() for p in programs
              if p.exe_name != "Dustvale.exe"}
    tick_timer = build.path("bench", "TickTimer.exe")
    beside["TickTimer.exe"] = open(tick_timer, "rb").read()

    def fill_trash(s):
        if trash_items:
            s.trash_many(trash_items)

    s = harness.Session(name, build.dustvale, template, artifacts, beside=beside,
                        manifest=True,
                        before_start=fill_trash, start_program=False)
    s.tick_timer = tick_timer
    s.__enter__()
    try:
        harness.wait_until("the taskbar", lambda: s.taskbar_colour() != (0, 0, 0), 60)
        time.sleep(1)  # the desktop settles before anything is timed
    except BaseException:
        s.__exit__(*sys.exc_info())
        raise
    return s


def dustvale_exe(build):
    return os.path.join(build, "main", "Dustvale.exe")


def start_and_wait_for_icon(s, display, program, empty_tray):
    """Starts the program on the session's desktop; seconds until its icon shows, and its pid."""
    started = time.monotonic()
    s.start_on_desktop(program.windows_path, *program.arguments)
    deadline = started + 60
    while display.fingerprint(harness.TRAY_FIRST_ICON) == empty_tray:
        if time.monotonic() > deadline:
            raise harness.WaitFailed(f"no icon of {program.name} within 60 s")
        time.sleep(0.001)
    took = time.monotonic() - started
    pids = harness.wait_until(f"{program.exe_name} to run",
                              lambda: s.app_processes(program.exe_name), 10, 0.01)
    return took, pids[0]


def stop(s, display, program, empty_tray):
    """Closes the program as taskkill without /f does (WM_CLOSE) and waits for its icon to go."""
    subprocess.run(s._on_desktop("taskkill", "/im", program.exe_name), env=s.env, timeout=60, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    harness.wait_until(f"{program.exe_name} to end",
                       lambda: not s.app_processes(program.exe_name), 30, 0.05)
    harness.wait_until("the tray to be empty",
                       lambda: display.fingerprint(harness.TRAY_FIRST_ICON) == empty_tray, 30,
                       0.05)


def measure_alone(programs, build, trash_items, rounds):
    """Each program alone on one desktop, so that nothing else competes for the CPU, started
    again and again: its start-up (seconds to the icon), its ticks and, for Dustvale, its menu.
    {program name: figures}."""
    s = open_session(f"alone-{trash_items}", programs, build, trash_items)
    figures = {p.name: {"starts_s": []} for p in programs}
    try:
        with xscreen.Display(s.display) as display:
            empty_tray = display.fingerprint(harness.TRAY_FIRST_ICON)
            # In rounds, one program after the other in each, so that a machine whose disk or
            # CPU drifts during the run weighs on all of them alike. The first round only warms
            # the caches.
            ticks = {p.name: [] for p in programs}
            round_trips = {p.name: [] for p in programs}
            opens = []
            for round_number in range(rounds + 1):
                for program in programs:
                    took, _ = start_and_wait_for_icon(s, display, program, empty_tray)
                    if round_number > 0:
                        figures[program.name]["starts_s"].append(took)
                        time.sleep(1.5)  # its first tick has run
                        round_trip, taken = time_ticks(s, program)
                        round_trips[program.name].append(round_trip)
                        ticks[program.name] += taken
                        if program.name == DUSTVALE:  # the baseline has no menu
                            opens.append(time_menu_open(display))
                    stop(s, display, program, empty_tray)
            for program in programs:
                round_trip = statistics.median(round_trips[program.name])
                taken = [t - round_trip for t in ticks[program.name]]
                figures[program.name].update({
                    "tick_ms": one_tick_ms(taken), "tick_max_ms": max(taken),
                    "ticks_ms": taken, "round_trip_ms": round_trip})
            figures[DUSTVALE].update({"menu_ms": statistics.median(opens) * 1000,
                                      "menu_max_ms": max(opens) * 1000})
            if trash_items:
                dustvale = next(p for p in programs if p.name == DUSTVALE)
                _, pid = start_and_wait_for_icon(s, display, dustvale, empty_tray)
                figures[DUSTVALE].update(time_answers(s, dustvale, pid))
                stop(s, display, dustvale, empty_tray)
        for program in programs:
            figures[program.name]["start_s"] = statistics.median(
                figures[program.name]["starts_s"])
        return figures
    finally:
        s.__exit__(None, None, None)


def one_tick_ms(taken):
    """One tick, from all the ticks timed: their first quartile. A tick of the program's own
    timer can still slip in before the timed message when a tick takes longer than the timer's
    second (a large bin on a slow disk); such samples hold two ticks and make the upper half."""
    return statistics.quantiles(taken, n=4)[0]


def time_ticks(s, program):
    """The median round trip of a message to the program's window and each of TICKS_PER_ROUND
    ticks, in milliseconds."""
    out = wine_output(s, s.tick_timer, "C:\\app\\TickTimer.exe", "shell",
                      program.window_class, str(TICKS_PER_ROUND))
    values = dict((line.split(" ", 1)[0], [float(v) / 1000 for v in line.split()[1:]])
                  for line in out.splitlines() if line.strip())
    return values["round_trip"][0], values["ticks"]


def time_answers(s, program, pid, count=ANSWERS, seconds=ANSWER_SECONDS):
    """How long the program's window takes to answer a message sent at a random moment, over
    about `seconds`: the percentiles of all answers, and of those sent while the program's
    busiest thread besides its main one ran (its Recycle Bin worker counting a large bin)."""
    readings = []  # (CLOCK_MONOTONIC_RAW seconds, {thread: CPU ns}), every 10 ms
    done = threading.Event()

    def read_threads():
        while not done.is_set():
            readings.append((time.clock_gettime(time.CLOCK_MONOTONIC_RAW),
                             thread_cpu_ns(pid) or {}))
            time.sleep(0.01)

    reader = threading.Thread(target=read_threads)
    reader.start()
    try:
        out = wine_output(s, s.tick_timer, "C:\\app\\TickTimer.exe", "shell",
                          program.window_class, "/answers", str(count), str(seconds))
    finally:
        done.set()
        reader.join()
    lines = [line.split() for line in out.splitlines() if line.strip()]
    frequency = next(float(f[1]) for f in lines if f[0] == "frequency")
    # Wine's performance counter is the Linux CLOCK_MONOTONIC_RAW in its own units.
    answers = [(int(f[1]) / frequency, float(f[2]) / 1000) for f in lines if f[0] == "answer"]
    first, last = readings[0][1], readings[-1][1]
    gains = {tid: ns - first.get(tid, 0) for tid, ns in last.items() if tid != str(pid)}
    worker = max(gains, key=gains.get) if gains else None
    busy = [(a[0], b[0]) for a, b in zip(readings, readings[1:])
            if worker and b[1].get(worker, 0) - a[1].get(worker, 0) > 1_000_000]
    during = [ms for sent, ms in answers if any(start <= sent <= end for start, end in busy)]
    latencies = [ms for _, ms in answers]

    def p99(values):
        return statistics.quantiles(values, n=100)[98] if len(values) >= 2 else max(values,
                                                                                   default=0)

    return {"answer_median_ms": statistics.median(latencies), "answer_p99_ms": p99(latencies),
            "answer_max_ms": max(latencies), "answers": len(latencies),
            "answers_while_counting": len(during),
            "answer_while_counting_p99_ms": p99(during) if during else None}


def time_menu_open(d):
    """Seconds from a click on the icon to the menu's pixels; the menu is closed again."""
    icon = (harness.TRAY_FIRST_ICON[0] + 8, harness.TRAY_FIRST_ICON[1] + 8)
    d.move(*AWAY)
    closed = settled(d, MENU_WATCH)
    d.move(*icon)
    # The pointer rests over the icon before the button goes down, for a random part of a
    # second, so that the clicks fall anywhere between two ticks.
    time.sleep(random.uniform(0.05, 1.05))
    d.click(3)
    clicked = time.monotonic()
    while d.fingerprint(MENU_WATCH) == closed:
        if time.monotonic() - clicked > MENU_TIMEOUT:
            raise harness.WaitFailed(f"no menu within {MENU_TIMEOUT} s of a click")
        time.sleep(0.0005)
    took = time.monotonic() - clicked
    time.sleep(0.3)
    d.move(*AWAY)
    d.click(1)  # a click elsewhere closes the menu without choosing
    harness.wait_until("the menu to close", lambda: d.fingerprint(MENU_WATCH) == closed,
                       MENU_TIMEOUT, 0.02)
    return took


# ---- one program for a while ---------------------------------------------------------------

class Run:
    """One program on its own desktop: started, watched for the idle window, then probed."""

    def __init__(self, program, build, trash_items):
        self.program = program
        self.build = build
        self.trash_items = trash_items
        self.figures = {}

    def open(self):
        self.session = open_session(f"{self.program.key}-{self.trash_items}",
                                    [self.program], self.build, self.trash_items)
        self.display = xscreen.Display(self.session.display)
        self.empty_tray = self.display.fingerprint(harness.TRAY_FIRST_ICON)

    def start(self):
        self.started = time.monotonic()
        took, self.pid = start_and_wait_for_icon(self.session, self.display, self.program,
                                                 self.empty_tray)
        self.sampler = Sampler(self.pid)
        self.sampler.start()
        self.icon_shown = time.monotonic()
        self.session_cpu_before = session_cpu(self.session)
        self.threads_before = thread_cpu_ns(self.pid)
        self.figures["start_side_by_side_s"] = took

    def finish_idle_window(self):
        ended = time.monotonic()
        threads_after = thread_cpu_ns(self.pid)
        session_cpu_after = session_cpu(self.session)
        self.sampler.stop()
        samples = self.sampler.samples
        if not samples or samples[-1][0] < ended - 2 or threads_after is None:
            raise AssertionError(f"{self.program.name} ended during the idle window")
        window = [s for s in samples if s[0] >= self.icon_shown]
        self.figures.update({
            "cpu_idle_s": cpu_between(self.threads_before, threads_after),
            "idle_window_s": ended - self.icon_shown,
            # Idle, a program does nothing but its once-a-second tick.
            "cpu_per_tick_ms": 1000 * cpu_between(self.threads_before, threads_after)
            / (ended - self.icon_shown),
            "cpu_total_s": samples[-1][1],
            "session_cpu_idle_s": session_cpu_after - self.session_cpu_before,
            "private_peak_bytes": max(s[2] for s in samples),
            # A large bin's query takes memory for a moment every second: the final figure is
            # the median of the last seconds, not whichever moment the last sample fell on.
            "private_final_bytes": statistics.median(
                p for t, _, p in samples if t >= ended - FINAL_SECONDS),
            "cpu_trace": [(t - self.icon_shown, c - window[0][1]) for t, c, _ in window],
            "private_trace": [(t - self.started, p) for t, _, p in samples],
        })

    def close(self):
        try:
            self.display.close()
        finally:
            self.session.__exit__(None, None, None)


def settled(display, box, quiet=0.3):
    """The box's fingerprint once it has not changed for quiet seconds."""
    last, since = display.fingerprint(box), time.monotonic()
    while time.monotonic() - since < quiet:
        time.sleep(0.02)
        now = display.fingerprint(box)
        if now != last:
            last, since = now, time.monotonic()
    return last


def wine_output(session, linux_file, windows_path, *args):
    done = subprocess.run(session.program(linux_file, windows_path, *args), env=session.env,
                          capture_output=True, timeout=600)
    if done.returncode != 0:
        raise AssertionError(f"{windows_path} failed: {done.stderr.decode(errors='replace')}")
    return done.stdout.decode()


def measure_side_by_side(programs, build, trash_items, seconds):
    runs = [Run(p, build, trash_items) for p in programs]
    try:
        for run in runs:
            run.open()
        for run in runs:
            run.start()
        time.sleep(seconds)
        for run in runs:
            run.finish_idle_window()
        return {run.program.name: run.figures for run in runs}
    finally:
        for run in runs:
            if hasattr(run, "session"):
                run.close()


# ---- the report ----------------------------------------------------------------------------

DUSTVALE, BASELINE = "Dustvale", "baseline"
# The baseline held to what Dustvale must do: the common controls loaded at start and the whole
# icon record sent at each tick.
LIKE_FOR_LIKE = "baseline doing what Dustvale must"

FIGURES = [
    # figure, what, unit, scale, aim for Dustvale / baseline (None: shown only)
    ("cpu_idle_s", "CPU time while idle", "ms", 1000, 1.1),
    ("private_peak_bytes", "private memory, peak", "KiB", 1 / 1024, 1.1),
    ("private_final_bytes", "private memory, final", "KiB", 1 / 1024, 1.1),
    ("start_s", "start-up to the icon", "ms", 1000, 1.2),
    ("tick_ms", "one tick (first quartile)", "ms", 1, 1.0),
    ("cpu_per_tick_ms", "CPU time per tick (idle CPU time per second)", "ms", 1, None),
    ("cpu_total_s", "CPU time in all, start included", "ms", 1000, None),
    ("session_cpu_idle_s", "CPU time while idle, Wine's own processes included", "ms", 1000,
     None),
    ("exe_bytes", "executable's size", "KiB", 1 / 1024, None),
]


def aim_for(key, aim, items):
    # A tick of an empty bin is a fraction of a millisecond either way: the aim is the large bin.
    return None if key == "tick_ms" and items == 0 else aim


def ratio(a, b):
    return a / b if b > 0 else float("nan")


def table(results, seconds, rounds):
    lines = []
    for items, figures in results.items():
        d, b, c = figures[DUSTVALE], figures[BASELINE], figures[LIKE_FOR_LIKE]
        lines.append(f"### {items:,} items in the Recycle Bin, {seconds} s idle\n")
        lines.append(f"| figure | Dustvale | {BASELINE} | ratio | aim | "
                     f"| {LIKE_FOR_LIKE} | ratio |")
        lines.append("|---|---:|---:|---:|---:|---|---:|---:|")
        for key, what, unit, scale, aim in FIGURES:
            aim = aim_for(key, aim, items)
            r = ratio(d[key], b[key])
            verdict = "" if aim is None else ("met" if r <= aim else "missed")
            aim_text = "" if aim is None else f"≤ {aim:.1f}"
            lines.append(f"| {what} ({unit}) | {d[key] * scale:,.1f} | {b[key] * scale:,.1f} "
                         f"| {r:.2f} | {aim_text} | {verdict} | {c[key] * scale:,.1f} "
                         f"| {ratio(d[key], c[key]):.2f} |")
        lines.append(f"| menu opens after a click (ms, median of {rounds}; "
                     f"slowest {d['menu_max_ms']:.0f}) | {d['menu_ms']:.1f} | | | | | | |")
        if "answer_p99_ms" in d:
            lines.append(f"| window answers a message at a random moment (ms, 99th percentile "
                         f"of {d['answers']}; median {d['answer_median_ms']:.1f}, slowest "
                         f"{d['answer_max_ms']:.0f}) | {d['answer_p99_ms']:.1f} | | | | | | |")
            counting = d.get("answer_while_counting_p99_ms")
            lines.append(f"| ... of those sent while the Recycle Bin was being counted "
                         f"({d['answers_while_counting']}) | "
                         f"{'' if counting is None else f'{counting:.1f}'} | | | | | | |")
        lines.append("")
    return "\n".join(lines)


COMPARED = [
    # figure, what, scale
    ("menu_ms", "menu opens after a click, median (ms)", 1),
    ("menu_max_ms", "menu opens after a click, slowest (ms)", 1),
    ("answer_p99_ms", "window answers at a random moment, 99th percentile (ms)", 1),
    ("answer_while_counting_p99_ms", "... while the Recycle Bin is counted, 99th percentile (ms)",
     1),
    ("cpu_per_tick_ms", "CPU while idle (% of one core)", 0.1),
    ("private_peak_bytes", "private memory, peak (KiB)", 1 / 1024),
    ("private_final_bytes", "private memory, final (KiB)", 1 / 1024),
]


def comparison_table(before, after, source):
    """Dustvale's figures of an earlier run beside this run's."""
    lines = [f"### Dustvale before ({source}) and now\n",
             "| figure | items in the bin | before | now | now / before |",
             "|---|---:|---:|---:|---:|"]
    for key, what, scale in COMPARED:
        for items, figures in after.items():
            old = before.get(items, {}).get(DUSTVALE, {}).get(key)
            new = figures[DUSTVALE].get(key)
            if old is None and new is None:
                continue
            cell = lambda v: "" if v is None else f"{v * scale:,.1f}"  # noqa: E731
            change = "" if old in (None, 0) or new is None else f"{new / old:.2f}"
            lines.append(f"| {what} | {items:,} | {cell(old)} | {cell(new)} | {change} |")
    lines.append("")
    return "\n".join(lines)


SIZED = [("Dustvale.exe", ("main",)), ("BaselineTray.exe", ("bench",)),
         ("TrayDemo.exe", ("demo",))]


def sizes_table(builds):
    """The executables' sizes in KiB, a column per build named after its architecture."""
    columns = []
    for build in builds:
        exe = dustvale_exe(build)
        if os.path.exists(exe):
            arch = "x86-64" if harness.wine.pe_kind(exe) == harness.wine.PE32_PLUS else "i686"
            columns.append((arch, build))
    lines = ["### The executables' sizes (KiB)\n",
             "| executable | " + " | ".join(arch for arch, _ in columns) + " |",
             "|---|" + "---:|" * len(columns)]
    for name, folder in SIZED:
        cells = []
        for _, build in columns:
            path = os.path.join(build, *folder, name)
            cells.append(f"{os.path.getsize(path) / 1024:,.1f}" if os.path.exists(path) else "")
        lines.append(f"| {name} | " + " | ".join(cells) + " |")
    lines.append("")
    return "\n".join(lines)


def missed_aims(results):
    return [(items, what) for items, figures in results.items()
            for key, what, _, _, aim in FIGURES
            if aim_for(key, aim, items) is not None
            and not ratio(figures[DUSTVALE][key], figures[BASELINE][key]) <= aim]


def plot(results, path):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.patches as patches
    import matplotlib.pyplot as plt

    limit = 2.5  # ratios beyond it (the executable's size) are cut, their value written
    fig, axes = plt.subplots(1, len(results), figsize=(13, 6), sharey=True)
    names = [what for _, what, _, _, _ in FIGURES]
    for ax, (items, figures) in zip(axes, results.items()):
        d, b, c = figures[DUSTVALE], figures[BASELINE], figures[LIKE_FOR_LIKE]
        to_baseline = [ratio(d[key], b[key]) for key, *_ in FIGURES]
        to_like = [ratio(d[key], c[key]) for key, *_ in FIGURES]
        aims = [aim_for(key, aim, items) for key, *_, aim in FIGURES]
        colours = ["tab:grey" if aim is None else ("tab:green" if r <= aim else "tab:red")
                   for r, aim in zip(to_baseline, aims)]
        y = list(range(len(names)))
        ax.barh([i - 0.2 for i in y], [min(r, limit) for r in to_baseline], height=0.4,
                color=colours)
        ax.barh([i + 0.2 for i in y], [min(r, limit) for r in to_like], height=0.4,
                color="tab:blue", alpha=0.5)
        for i, aim in enumerate(aims):
            if aim is not None:
                ax.plot([aim, aim], [i - 0.45, i + 0.05], color="black", linewidth=2)
        for i, (r, q) in enumerate(zip(to_baseline, to_like)):
            ax.text(min(r, limit), i - 0.2, f" {r:.2f}", va="center", fontsize=8)
            ax.text(min(q, limit), i + 0.2, f" {q:.2f}", va="center", fontsize=7,
                    color="tab:blue")
        ax.axvline(1.0, color="black", linewidth=0.5, linestyle=":")
        ax.set_xlim(0, limit + 0.4)
        ax.set_yticks(y)
        ax.set_yticklabels(names, fontsize=8)
        ax.invert_yaxis()
        ax.set_title(f"{items:,} items in the Recycle Bin")
        ax.set_xlabel("Dustvale's figure divided by the other program's (black bar: the aim)")
    legend = [patches.Patch(color="tab:green", label=f"/ {BASELINE}: aim met"),
              patches.Patch(color="tab:red", label=f"/ {BASELINE}: aim missed"),
              patches.Patch(color="tab:grey", label=f"/ {BASELINE}: no aim"),
              patches.Patch(color="tab:blue", alpha=0.5, label=f"/ {LIKE_FOR_LIKE}")]
    axes[-1].legend(handles=legend, fontsize=7, loc="lower right")
    fig.suptitle("Dustvale.exe beside the baseline tray program, under Wine")
    fig.tight_layout()
    fig.savefig(path, dpi=100)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(HERE, "..", "build", "mingw-x64"))
    parser.add_argument("--sizes-of", metavar="BUILD", nargs="*", default=[],
                        help="further builds (another architecture) whose executables' sizes "
                             "the size table lists")
    parser.add_argument("--seconds", type=int, default=60)
    parser.add_argument("--items", type=int, default=10000)
    parser.add_argument("--rounds", type=int, default=10,
                        help="rounds of start-ups, ticks and menus with each program alone")
    parser.add_argument("--dustvale", metavar="EXE",
                        help="measure this Dustvale.exe (an earlier version, say) instead of the "
                             "build's")
    parser.add_argument("--compare", metavar="FILE",
                        help="the footprint.json of an earlier run, printed beside this one")
    parser.add_argument("--from-json", metavar="FILE",
                        help="measure nothing: write the table and the plot again from the "
                             "figures a run saved")
    args = parser.parse_args(argv)
    build = Setup(os.path.abspath(args.build), args.dustvale and os.path.abspath(args.dustvale))
    out = build.path("bench")
    if args.from_json:
        with open(args.from_json) as f:
            results = {int(items): figures for items, figures in json.load(f).items()}
        for figures in results.values():
            for program in figures.values():
                program["tick_ms"] = one_tick_ms(program["ticks_ms"])
        return report(results, args, out)
    harness.prepare_template(build.path("wine", "e2e-template"))
    baseline_exe = build.path("bench", "BaselineTray.exe")
    programs = [Program(DUSTVALE, "dustvale", build.dustvale, "DustvaleWindow"),
                Program(BASELINE, "baseline", baseline_exe, "DustvaleBaselineWindow"),
                Program(LIKE_FOR_LIKE, "baseline-like", baseline_exe, "DustvaleBaselineWindow",
                        ["/commoncontrols", "/wholerecord"])]

    results = {}
    for items in (0, args.items):
        print(f"== {items} items: each program alone", flush=True)
        alone = measure_alone(programs, build, items, args.rounds)
        print(f"== {items} items: {args.seconds} s side by side", flush=True)
        figures = measure_side_by_side(programs, build, items, args.seconds)
        for p in programs:
            figures[p.name].update(alone[p.name])
            figures[p.name]["exe_bytes"] = os.path.getsize(p.exe)
        results[items] = figures

    return report(results, args, out)


def report(results, args, out):
    text = (f"Wine {harness.wine.version()}, {os.cpu_count()} cores; "
            f"`/usr/bin/python3 bench/footprint.py --seconds {args.seconds} "
            f"--items {args.items}`\n\n" + table(results, args.seconds, args.rounds) + "\n"
            + sizes_table([os.path.abspath(args.build)]
                          + [os.path.abspath(b) for b in args.sizes_of]))
    if args.compare:
        with open(args.compare) as f:
            before = {int(items): figures for items, figures in json.load(f).items()}
        text += "\n" + comparison_table(before, results, os.path.basename(args.compare))
    print()
    print(text)
    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, "footprint.md"), "w") as f:
        f.write(text)
    with open(os.path.join(out, "footprint.json"), "w") as f:
        json.dump({str(k): v for k, v in results.items()}, f, indent=1)
    plot(results, os.path.join(out, "footprint.png"))
    print(f"written: {out}/footprint.md, footprint.json, footprint.png")
    missed = missed_aims(results)
    for items, what in missed:
        print(f"aim missed with {items} items: {what}")
    return 0 if not missed else 3


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
