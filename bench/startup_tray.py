#!/usr/bin/python3
"""Start-up as a Linux user meets it: the time from `scripts/run.sh` to Dustvale's icon in the
tray, its prefix already made, with a panel tray (trayer on a virtual X server, where the icon
docks) and with the Wine desktop window (the same X server without a tray). Prints the median
of RUNS runs of each, with the time run.sh takes before it hands over to the launcher (its
set-up check and the build's check), and writes startup_tray.md and startup_tray.json.

    /usr/bin/python3 bench/startup_tray.py [--runs 5] [--out build/mingw-x64/bench]

Each run starts Wine afresh (no Wine server left from the run before), in a HOME of its own that
a first run, not counted, has set up; nothing of yours is touched.
"""

import argparse
import json
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(REPO, "scripts"))
sys.path.insert(0, os.path.join(REPO, "tests", "e2e"))
import desktop_session  # noqa: E402
import wine  # noqa: E402
import xscreen  # noqa: E402

SCREEN = (1024, 768)
# The Wine desktop's first tray icon at 1024 x 768, and a point of its taskbar no icon covers.
DESKTOP_ICON = (SCREEN[0] - 18, SCREEN[1] - 18, 16, 16)
DESKTOP_TASKBAR = (SCREEN[0] - 100, SCREEN[1] - 10, 1, 1)
ICON_TIMEOUT = 120
POLL = 0.02


class VirtualScreen:
    """Xvfb with, for the panel case, trayer on it, as scripts/run.sh --headless starts them."""

    def __init__(self, panel, log):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             f"{SCREEN[0]}x{SCREEN[1]}x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=log)
        os.close(write_end)
        with os.fdopen(read_end) as f:
            number = f.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number
        self.trayer = None
        if panel:
            self.trayer = subprocess.Popen(desktop_session.TRAYER,
                                           env=dict(os.environ, DISPLAY=self.display),
                                           stdin=subprocess.DEVNULL, stdout=log, stderr=log)
            deadline = time.monotonic() + 15
            while not self._has_tray():
                if time.monotonic() > deadline:
                    raise RuntimeError("trayer did not start")
                time.sleep(0.1)

    def _has_tray(self):
        return subprocess.run([os.path.join(REPO, "scripts", "system_tray.py"), "owner"],
                              env=dict(os.environ, DISPLAY=self.display),
                              capture_output=True).returncode == 0

    def close(self):
        for proc in (self.trayer, self.xvfb):
            if proc is not None:
                proc.kill()
                proc.wait()


def docked_icon(display_name):
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True,
                          env=dict(os.environ, DISPLAY=display_name), timeout=10).stdout
    icons = desktop_session.docked_windows(tree)
    return icons[0] if icons else None


def icon_shows(screen, x_display, panel):
    """Whether Dustvale's icon shows: its picture in the panel's docked window, or something
    other than the bare taskbar at the Wine desktop tray's first place."""
    if panel:
        box = docked_icon(screen.display)
        if box is None:
            return False
        x, y, w, h = box
        if x < 0 or y < 0 or x + w > SCREEN[0] or y + h > SCREEN[1]:
            return False  # the panel is still placing it: X grabs only what is on the screen
        pixels = x_display.grab((x, y, w, h))
        return len(set(pixels[i:i + 4] for i in range(0, len(pixels), 4))) > 2
    taskbar = x_display.grab(DESKTOP_TASKBAR)[:3]
    if taskbar == b"\0\0\0":
        return False  # the desktop is not drawn yet
    icon = x_display.grab(DESKTOP_ICON)
    return any(icon[i:i + 3] != taskbar for i in range(0, len(icon), 4))


def one_run(env, panel, log, first=False):
    """Seconds from run.sh's start to the launcher's first word and to the icon. first: the
    run that makes the prefix, and whose program may ask to be restarted."""
    screen = VirtualScreen(panel, log)
    run_env = dict(env, DISPLAY=screen.display)
    manifest = os.path.join(env["WINEPREFIX"], "drive_c", "Dustvale", "Dustvale.exe.manifest")
    timeout = ICON_TIMEOUT * (3 if first else 1)
    run = None
    try:
        with xscreen.Display(screen.display) as x_display:
            started = time.monotonic()
            run = subprocess.Popen([os.path.join(REPO, "scripts", "run.sh")], env=run_env,
                                   stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                   stderr=log, start_new_session=True)
            os.set_blocking(run.stdout.fileno(), False)
            output = b""
            handed_over = None
            manifest_seen = None
            while not icon_shows(screen, x_display, panel):
                chunk = run.stdout.read() or b""
                output += chunk
                log.write(chunk)
                if handed_over is None and b"\ndustvale: " in b"\n" + output:
                    handed_over = time.monotonic() - started
                if first and manifest_seen is None and os.path.exists(manifest):
                    manifest_seen = time.monotonic()
                if manifest_seen is not None and time.monotonic() - manifest_seen > 2:
                    # The first start's box, if it shows one, takes the keyboard.
                    subprocess.run(["xdotool", "key", "Return"], env=run_env, timeout=10)
                    manifest_seen = float("inf")
                if run.poll() is not None:
                    raise RuntimeError(f"run.sh ended ({run.returncode}) before the icon showed")
                if time.monotonic() - started > timeout:
                    raise RuntimeError(f"no icon within {timeout} s")
                time.sleep(POLL)
            shown = time.monotonic() - started
    finally:
        stop(run_env, run)
        screen.close()
    return handed_over, shown


def stop(env, run):
    subprocess.run(wine.tool("wineserver", "-k"), env=env, capture_output=True, timeout=30)
    subprocess.run(wine.tool("wineserver", "-w"), env=env, capture_output=True, timeout=30)
    if run is not None:
        try:
            os.killpg(run.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
        run.wait(timeout=30)


def measure(runs, log):
    home = tempfile.mkdtemp(prefix="dustvale-bench-startup-")
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "WINEPREFIX")}
    env["HOME"] = home
    env["WINEPREFIX"] = os.path.join(home, ".local", "share", "dustvale", "wineprefix-x64")
    try:
        print("first run (not counted): makes the prefix and the program's manifest", flush=True)
        one_run(env, True, log, first=True)
        results = {}
        for case, panel in (("panel tray", True), ("Wine desktop", False)):
            times = []
            for n in range(runs):
                handed_over, shown = one_run(env, panel, log)
                print(f"{case}, run {n + 1}: icon after {shown:.2f} s "
                      f"(run.sh handed over after {handed_over:.2f} s)", flush=True)
                times.append((handed_over, shown))
            results[case] = times
        return results
    finally:
        shutil.rmtree(home, ignore_errors=True)


def table(results, runs):
    lines = [f"Start-up from scripts/run.sh to the icon in the tray, prefix already made "
             f"(median of {runs} runs; slowest in brackets)", "",
             "| case | run.sh to the icon | run.sh's own set-up and build check |",
             "|---|---|---|"]
    for case, times in results.items():
        shown = [t[1] for t in times]
        handed = [t[0] for t in times]
        lines.append(f"| {case} | {statistics.median(shown):.2f} s ({max(shown):.2f} s) "
                     f"| {statistics.median(handed):.2f} s |")
    return "\n".join(lines) + "\n"


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--out", default=os.path.join(REPO, "build", "mingw-x64", "bench"))
    args = parser.parse_args(argv[1:])
    if args.runs < 1:
        parser.error("--runs must be at least 1")
    os.makedirs(args.out, exist_ok=True)
    with open(os.path.join(args.out, "startup_tray.log"), "wb") as log:
        results = measure(args.runs, log)
    text = table(results, args.runs)
    print()
    print(text)
    with open(os.path.join(args.out, "startup_tray.md"), "w") as f:
        f.write(text)
    with open(os.path.join(args.out, "startup_tray.json"), "w") as f:
        json.dump({case: [{"run_sh_handed_over_s": h, "icon_s": s} for h, s in times]
                   for case, times in results.items()}, f, indent=2)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
