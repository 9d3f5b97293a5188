"""Benchmark (by hand, not a test): what auto-empty costs when the bin cannot be emptied. The
Trash holds --items files that nothing may remove (its files/ and info/ folders made immutable
with chattr, which binds root too), and AutoClean.cfg asks for an emptying from 3 items on, so
every count finds the threshold reached. Dustvale.exe runs on a desktop of its own for
--seconds after its icon shows; the CPU time of every Wine process of the session (the program,
the Wine server, the desktop) is read from Linux before and after.

    /usr/bin/python3 bench/stubborn_bin.py [--build build/mingw-x64] [--items 20000]
                                           [--seconds 300]

Aim: at most 10 % of one core, program and Wine server together (the session's other Wine
processes are shown too). Writes stubborn_bin.md into
<build>/bench; exits with 3 when the aim is missed.
"""

import argparse
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))

import harness  # noqa: E402

AIM_SHARE_OF_A_CORE = 0.10


def process_cpu(pid):
    """User plus system seconds of a process, or 0 once it has ended."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
    except OSError:
        return 0.0
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def cpu_by_process(session):
    """{pid: (name, CPU seconds)} for every Wine process of the session."""
    found = {}
    for pid in harness._wine_processes(session.prefix):
        try:
            with open(f"/proc/{pid}/comm") as f:
                name = f.read().strip()
        except OSError:
            continue
        found[pid] = (name, process_cpu(pid))
    return found


def immutable(path, on):
    subprocess.run(["chattr", "+i" if on else "-i", path], check=True)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=os.path.join(HERE, "..", "build", "mingw-x64"))
    parser.add_argument("--items", type=int, default=20000)
    parser.add_argument("--seconds", type=int, default=300)
    args = parser.parse_args(argv)
    build = os.path.abspath(args.build)

    def stubborn_trash(s):
        s.trash_many(args.items)
        for folder in (s.trash_files, s.trash_info):
            immutable(folder, True)

    session = harness.Session("stubborn-bin", os.path.join(build, "main", "Dustvale.exe"),
                              os.path.join(build, "wine", "e2e-template"),
                              os.path.join(build, "bench", "artifacts"),
                              beside={"AutoClean.cfg": b"3\r\n"}, manifest=True,
                              before_start=stubborn_trash)
    with session as s:
        try:
            s.wait_for_app(60)
            harness.wait_until("the icon in the tray", s.tray_shows_icon, 120)
            before = cpu_by_process(s)
            started = time.monotonic()
            time.sleep(args.seconds)
            after = cpu_by_process(s)
            elapsed = time.monotonic() - started
            left = len(s.trashed())
        finally:
            # The session's folders must be removable again when it ends.
            for folder in (s.trash_files, s.trash_info):
                if os.path.isdir(folder):
                    immutable(folder, False)

    rows = []
    total = 0.0
    program_and_server = 0.0
    for pid, (name, cpu) in sorted(after.items(), key=lambda kv: -kv[1][1]):
        spent = cpu - before.get(pid, (name, 0.0))[1]
        total += spent
        if name.startswith("Dustvale") or name.startswith("wineserver"):
            program_and_server += spent
        if spent > 0:
            rows.append(f"| {name} | {spent:.2f} s | {100 * spent / elapsed:.1f} % |")
    share = program_and_server / elapsed
    lines = [
        f"# Auto-empty of a bin that cannot be emptied: {args.items} items, {elapsed:.0f} s",
        "",
        "| process | CPU time | share of one core |",
        "|---|---:|---:|",
        *rows,
        f"| **Dustvale.exe and the Wine server** | {program_and_server:.2f} s | "
        f"**{100 * share:.1f} %** |",
        f"| all Wine processes of the session | {total:.2f} s | {100 * total / elapsed:.1f} % |",
        "",
        f"Items still in the Trash: {left} of {args.items}. "
        f"Aim, program and Wine server together: at most {100 * AIM_SHARE_OF_A_CORE:.0f} % of "
        f"one core: {'met' if share <= AIM_SHARE_OF_A_CORE else 'MISSED'}.",
    ]
    text = "\n".join(lines) + "\n"
    print(text)
    out = os.path.join(build, "bench")
    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, "stubborn_bin.md"), "w") as f:
        f.write(text)
    return 0 if share <= AIM_SHARE_OF_A_CORE else 3


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
