"""Temp Files raced by another program that keeps swapping the folders being emptied for links
to an outside folder and back, about every millisecond, for the end-to-end test and the
benchmark: nothing outside the temporary folder may be lost or changed.

The swapper runs as a process of its own (this file run as a script), so that the test's own
work never slows it; it says when it has begun, swaps while its standard input stays open,
then puts every folder back and reports how many swaps it made.

    /usr/bin/python3 link_race.py swap TEMP_ROOT OUTSIDE NAME...
"""

import os
import select
import subprocess
import sys
import time

import harness
import temp_clean

FOLDERS = 40
FILES_PER_FOLDER = 20
CANARIES = 60
# Every folder is a link for half a millisecond, then itself for half a millisecond.
HALF_PERIOD = 0.0005
DONE_TIMEOUT = 120


def folder_name(n):
    return f"d{n:02d}"


def file_name(n):
    return f"f{n:02d}.tmp"


def lay_out(temp_root, outside):
    """The temporary folder's 40 folders of 20 files, and the 60 canaries outside, named as
    the files inside so that a deletion led out of the temporary folder would hit them."""
    for f in range(FOLDERS):
        for n in range(FILES_PER_FOLDER):
            temp_clean.write(os.path.join(temp_root, folder_name(f), file_name(n)),
                             b"temporary\n")
    for n in range(CANARIES):
        temp_clean.write(os.path.join(outside, file_name(n)), f"canary {n}\n".encode())


class Swapper:
    """The swapping process; a context manager that stops it and reads its report."""

    def __init__(self, temp_root, outside, names):
        self.process = subprocess.Popen(
            [sys.executable, os.path.abspath(__file__), "swap", temp_root, outside, *names],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
            start_new_session=True)
        self.swaps = None

    def __enter__(self):
        # Swapping before the clean starts, so that the race covers all of it.
        began = self.process.stdout.readline()
        if began.strip() != b"swapping":
            self.__exit__(None, None, None)
            raise AssertionError(f"the swapper did not begin ({began!r})")
        return self

    def __exit__(self, *exc):
        try:
            out, err = self.process.communicate(timeout=30)
        except subprocess.TimeoutExpired:
            self.process.kill()
            out, err = self.process.communicate()
        if self.process.returncode != 0:
            raise AssertionError(f"the swapper failed: {err.decode(errors='replace')[-500:]}")
        self.swaps = int(out.split()[-1])
        return False


def harm(before, after):
    """The canaries lost and those changed, between two snapshots of the outside folder."""
    lost = sorted(set(before) - set(after))
    changed = sorted(name for name in before if name in after and after[name] != before[name])
    return lost, changed


def race_once(s, temp_path="C:\\Temp"):
    """Lays out the temporary folder and the canaries, runs Temp Files while the swapper swaps,
    and returns (outside before, outside after, swaps made, files left in the temporary
    folder, seconds the clean took)."""
    temp_root = s.unix_path(temp_path)
    outside = os.path.join(s.root, "outside")
    lay_out(temp_root, outside)
    before = temp_clean.snapshot(outside)
    s.choose_temp_files()
    box, _ = s.wait_for_box(temp_clean.QUESTION, 15)
    with Swapper(temp_root, outside, [folder_name(f) for f in range(FOLDERS)]) as swapper:
        started = time.monotonic()
        s.click_button(box, "OK")
        done, _ = s.wait_for_box(temp_clean.DONE, DONE_TIMEOUT)
        took = time.monotonic() - started
    after = temp_clean.snapshot(outside)
    left = sum(len(files) for _, _, files in os.walk(temp_root))
    s.click_button(done, "OK")
    harness.wait_until("the done box to close", lambda: not s.boxes(), 10)
    for entry in os.scandir(temp_root):  # what the clean left, for the next run
        if entry.is_dir(follow_symlinks=False):
            subprocess.run(["rm", "-rf", entry.path], check=True)
        else:
            os.unlink(entry.path)
    subprocess.run(["rm", "-rf", outside], check=True)
    return before, after, swapper.swaps, left, took


# ---- the swapping process ----------------------------------------------------------------

def _swap(temp_root, outside, names):
    folders = [os.path.join(temp_root, name) for name in names]
    swaps = 0

    def stopped():
        return bool(select.select([sys.stdin], [], [], 0)[0])

    began = False
    while not stopped():
        for folder in folders:
            try:
                os.rename(folder, folder + ".away")
                os.symlink(outside, folder)
            except OSError:
                continue  # deleted, or aside already
            swaps += 1
        if not began:
            print("swapping", flush=True)
            began = True
        time.sleep(HALF_PERIOD)
        _put_back(folders)
        time.sleep(HALF_PERIOD)
    _put_back(folders)
    if not began:
        print("swapping")
    print(swaps)


def _put_back(folders):
    for folder in folders:
        # The clean may delete a folder set aside (it lies in the temporary folder too) at any
        # moment: then there is nothing to put back.
        try:
            if os.path.islink(folder):
                os.unlink(folder)
            os.rename(folder + ".away", folder)
        except OSError:
            pass


if __name__ == "__main__":
    if len(sys.argv) >= 4 and sys.argv[1] == "swap":
        _swap(sys.argv[2], sys.argv[3], sys.argv[4:])
    else:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
