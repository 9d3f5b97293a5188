#!/usr/bin/python3
"""Prints the test command's summary: per preset and label, the CTest tests passed, failed and
skipped, the test cases inside them (GoogleTest and unittest counts read from their output) and
the time; then why tests were skipped. A skip never counts as a pass.

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
GTEST_SKIPPED = re.compile(r"^\[  SKIPPED \] (\d+) tests?, listed below", re.M)
UNITTEST_RAN = re.compile(r"^Ran (\d+) tests? in", re.M)
UNITTEST_FAILED = re.compile(r"^FAILED \((?:failures=(\d+))?(?:, )?(?:errors=(\d+))?", re.M)
UNITTEST_SKIPPED = re.compile(r"^(?:OK|FAILED) \(.*\bskipped=(\d+)", re.M)
# What a test that this machine cannot run prints (scripts/wine.py, tests/e2e/harness.py).
SKIP_REASON = re.compile(r"^skipped: (.+)$", re.M)


def cases(output):
    """(passed, failed, skipped) test cases reported in a test's output; None when it reports
    none."""
    if GTEST_PASSED.search(output) or GTEST_FAILED.search(output):
        ok = sum(int(n) for n in GTEST_PASSED.findall(output))
        bad = sum(int(n) for n in GTEST_FAILED.findall(output))
        skipped = sum(int(n) for n in GTEST_SKIPPED.findall(output))
        return ok, bad, skipped
    ran = UNITTEST_RAN.findall(output)
    if ran:
        total = sum(int(n) for n in ran)
        bad = sum(int(a or 0) + int(b or 0) for a, b in UNITTEST_FAILED.findall(output))
        skipped = sum(int(n) for n in UNITTEST_SKIPPED.findall(output))
        return total - bad - skipped, bad, skipped
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
    skip_reasons = {}  # (preset, reason): number of tests
    for arg in argv[2:]:
        preset, build = arg.split(":", 1)
        junit = os.path.join(build, "ctest-junit.xml")
        if not os.path.exists(junit):
            rows.append((preset, "(no results)", 0, 0, 0, "", 0.0))
            total_failed += 1
            continue
        labels = labels_of(build)
        per_label = {}
        for case in ET.parse(junit).getroot().iter("testcase"):
            name = case.get("name")
            failed = case.find("failure") is not None or case.get("status") == "fail"
            skipped = case.find("skipped") is not None or case.get("status") == "skipped"
            out = case.findtext("system-out") or ""
            if skipped and not failed:
                said = SKIP_REASON.search(out)
                reason = said.group(1).strip() if said else (
                    case.find("skipped").get("message") if case.find("skipped") is not None
                    else "") or "no reason given"
                key = (preset, reason)
                skip_reasons[key] = skip_reasons.get(key, 0) + 1
            for label in labels.get(name, ["(none)"]):
                entry = per_label.setdefault(label, [0, 0, 0, 0, 0.0, 0, 0])
                if failed:
                    entry[1] += 1
                elif skipped:
                    entry[5] += 1
                else:
                    entry[0] += 1
                counted = cases(out)
                if counted:
                    entry[2] += counted[0]
                    entry[3] += counted[1]
                    entry[6] += counted[2]
                entry[4] += float(case.get("time") or 0)
            total_failed += failed
        for label, (ok, bad, case_ok, case_bad, secs, skips, case_skips) in sorted(
                per_label.items()):
            inner = f"{case_ok} passed, {case_bad} failed" if case_ok or case_bad else ""
            if case_skips:
                inner += f"{', ' if inner else ''}{case_skips} skipped"
            rows.append((preset, label, ok, bad, skips, inner, secs))

    print()
    print("== Test summary")
    print(f"{'preset':<11} {'label':<10} {'passed':>6} {'failed':>6} {'skipped':>7}  {'time':>8}"
          "  test cases inside")
    for preset, label, ok, bad, skips, inner, secs in rows:
        print(f"{preset:<11} {label:<10} {ok:>6} {bad:>6} {skips:>7}  {secs:>7.1f}s  {inner}")
    for (preset, reason), count in sorted(skip_reasons.items()):
        print(f"skipped: {count} test{'s' if count != 1 else ''} of {preset}: {reason}")
    minutes, rest = divmod(int(round(seconds)), 60)
    print(f"total time of the test command: {minutes} min {rest:02d} s")
    skipped = sum(skip_reasons.values())
    if total_failed:
        print("result: FAILED")
    elif skipped:
        print(f"result: nothing failed; {skipped} test{'s' if skipped != 1 else ''} skipped, "
              "not passed")
    else:
        print("result: all tests passed")
    return 1 if total_failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
