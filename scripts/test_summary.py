#!/usr/bin/python3
"""Prints the test command's summary: per preset and label, the CTest tests passed and failed,
the test cases inside them (GoogleTest and unittest counts read from their output) and the time.

    test_summary.py SECONDS PRESET:BUILD_DIR [PRESET:BUILD_DIR ...]

Reads BUILD_DIR/ctest-junit.xml and BUILD_DIR/ctest-tests.json, which test.sh writes.
"""

import json
import os
import re
import sys
import xml.etree.ElementTree as ET

GTEST_PASSED = re.compile(r"^\[  PASSED  \] (\d+) tests?", re.M)
GTEST_FAILED = re.compile(r"^\[  FAILED  \] (\d+) tests?, listed below", re.M)
UNITTEST_RAN = re.compile(r"^Ran (\d+) tests? in", re.M)
UNITTEST_FAILED = re.compile(r"^FAILED \((?:failures=(\d+))?(?:, )?(?:errors=(\d+))?", re.M)


def cases(output):
    """(passed, failed) test cases reported in a test's output; None when it reports none."""
    if GTEST_PASSED.search(output) or GTEST_FAILED.search(output):
        ok = sum(int(n) for n in GTEST_PASSED.findall(output))
        bad = sum(int(n) for n in GTEST_FAILED.findall(output))
        return ok, bad
    ran = UNITTEST_RAN.findall(output)
    if ran:
        total = sum(int(n) for n in ran)
        bad = sum(int(a or 0) + int(b or 0) for a, b in UNITTEST_FAILED.findall(output))
        return total - bad, bad
    return None


def labels_of(build):
    with open(os.path.join(build, "ctest-tests.json")) as f:
        tests = json.load(f)["tests"]
    out = {}
    for t in tests:
        names = [p["value"] for p in t.get("properties", []) if p["name"] == "LABELS"]
        out[t["name"]] = names[0] if names else ["(none)"]
    return out


def main(argv):
    seconds = float(argv[1])
    rows = []
    total_failed = 0
    for arg in argv[2:]:
        preset, build = arg.split(":", 1)
        junit = os.path.join(build, "ctest-junit.xml")
        if not os.path.exists(junit):
            rows.append((preset, "(no results)", 0, 0, "", 0.0))
            total_failed += 1
            continue
        labels = labels_of(build)
        per_label = {}
        for case in ET.parse(junit).getroot().iter("testcase"):
            name = case.get("name")
            failed = case.find("failure") is not None or case.get("status") == "fail"
            skipped = case.find("skipped") is not None
            out = case.findtext("system-out") or ""
            for label in labels.get(name, ["(none)"]):
                entry = per_label.setdefault(label, [0, 0, 0, 0, 0.0, 0])
                if failed:
                    entry[1] += 1
                elif not skipped:
                    entry[0] += 1
                counted = cases(out)
                if counted:
                    entry[2] += counted[0]
                    entry[3] += counted[1]
                entry[4] += float(case.get("time") or 0)
            total_failed += failed
        for label, (ok, bad, case_ok, case_bad, secs, _) in sorted(per_label.items()):
            inner = f"{case_ok} passed, {case_bad} failed" if case_ok or case_bad else ""
            rows.append((preset, label, ok, bad, inner, secs))

    print()
    print("== Test summary")
    print(f"{'preset':<11} {'label':<10} {'passed':>6} {'failed':>6}  {'time':>8}  test cases inside")
    for preset, label, ok, bad, inner, secs in rows:
        print(f"{preset:<11} {label:<10} {ok:>6} {bad:>6}  {secs:>7.1f}s  {inner}")
    minutes, rest = divmod(int(round(seconds)), 60)
    print(f"total time of the test command: {minutes} min {rest:02d} s")
    print("result: " + ("FAILED" if total_failed else "all tests passed"))
    return 1 if total_failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
