"""Benchmark (by hand, not a test): what Dustvale's own code costs, with Windows taken out.
Runs dustvale_own_cost (the whole program in the simulated Windows, which answers every call at
once) under valgrind on the Linux build: callgrind's instructions for 0 ticks and for --ticks,
whose difference divided by --ticks is one tick's work, and massif's heap peak.

    /usr/bin/python3 bench/own_cost.py [--build build/linux-bench] [--ticks 60] [--items 10000]

The build folder holds a build of the target dustvale_own_cost (optimised as Dustvale.exe is:
CMAKE_BUILD_TYPE=MinSizeRel). Writes own_cost.md into the folder given by --out.
"""

import argparse
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def instructions(exe, items, ticks, scratch):
    out = os.path.join(scratch, f"callgrind.{ticks}")
    done = subprocess.run(["valgrind", "--tool=callgrind", f"--callgrind-out-file={out}", exe,
                           str(items), str(ticks)], capture_output=True, text=True, timeout=600)
    if done.returncode != 0:
        raise SystemExit(f"dustvale_own_cost failed under callgrind:\n{done.stderr}")
    found = re.search(r"Collected : (\d+)", done.stderr)
    if not found:
        raise SystemExit(f"no instruction count from callgrind:\n{done.stderr}")
    return int(found.group(1)), done.stdout.strip()


def heap_peak(exe, items, ticks, scratch):
    out = os.path.join(scratch, "massif.out")
    subprocess.run(["valgrind", "--tool=massif", f"--massif-out-file={out}", exe, str(items),
                    str(ticks)], capture_output=True, timeout=600, check=True)
    peak = 0
    heap = extra = 0
    with open(out) as f:
        for line in f:
            if line.startswith("mem_heap_B="):
                heap = int(line.split("=")[1])
            elif line.startswith("mem_heap_extra_B="):
                extra = int(line.split("=")[1])
                peak = max(peak, heap + extra)
    return peak


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(HERE, "..", "build", "linux-bench"))
    parser.add_argument("--out", default=os.path.join(HERE, "..", "build", "mingw-x64", "bench"))
    parser.add_argument("--ticks", type=int, default=60)
    parser.add_argument("--items", type=int, default=10000)
    args = parser.parse_args(argv)
    exe = os.path.join(os.path.abspath(args.build), "bench", "dustvale_own_cost")
    with tempfile.TemporaryDirectory(prefix="dustvale-own-cost-") as scratch:
        start_only, _ = instructions(exe, args.items, 0, scratch)
        with_ticks, shown = instructions(exe, args.items, args.ticks, scratch)
        peak = heap_peak(exe, args.items, args.ticks, scratch)
    per_tick = (with_ticks - start_only) / args.ticks
    report = "\n".join([
        f"Dustvale's own code in the simulated Windows (`/usr/bin/python3 bench/own_cost.py`), "
        f"{args.items:,} items in the Recycle Bin; {shown}", "",
        "| figure | value |", "|---|---:|",
        f"| instructions to start, the simulation's set-up included | {start_only:,} |",
        f"| instructions per tick | {per_tick:,.0f} |",
        f"| heap peak over {args.ticks} ticks, the simulation's included (bytes) | {peak:,} |",
        ""])
    print(report)
    os.makedirs(args.out, exist_ok=True)
    with open(os.path.join(args.out, "own_cost.md"), "w") as f:
        f.write(report)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
