#!/usr/bin/env bash
# Runs every test: installs what is missing, builds the presets linux, linux-asan, linux-fuzz,
# mingw-x64 and mingw-x86, and runs their tests (unit and contract tests on Linux, the same under
# AddressSanitizer and UndefinedBehaviorSanitizer, a short run of every fuzz target; for the
# 64-bit Dustvale.exe the Win32 contract tests and every end-to-end test under Wine, for the
# 32-bit one the contract tests and a short end-to-end run where this machine runs 32-bit
# programs, reported as skipped with the reason where it does not).
# Prints a summary per label and exits non-zero if anything failed.
set -uo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
started=$(date +%s)

"$repo/scripts/setup.sh" test || exit 1

jobs=$(nproc)
failed=()
summary_args=()
for preset in linux linux-asan linux-fuzz mingw-x64 mingw-x86; do
  build="$repo/build/$preset"
  echo
  echo "== $preset: configure and build"
  if ! cmake --preset "$preset"; then
    failed+=("$preset: configure"); continue
  fi
  if ! cmake --build --preset "$preset" -j"$jobs"; then
    failed+=("$preset: build"); continue
  fi
  echo
  echo "== $preset: tests"
  rm -f "$build/ctest-junit.xml"
  ctest --preset "$preset" --show-only=json-v1 >"$build/ctest-tests.json"
  # The Wine tests make their own virtual X servers, prefixes and Trash folders.
  # Whole outputs of passed tests too, so the summary can count the test cases inside them.
  if ! ctest --preset "$preset" --output-junit "$build/ctest-junit.xml" \
      --test-output-size-passed 4000000; then
    failed+=("$preset: tests")
  fi
  summary_args+=("$preset:$build")
done

/usr/bin/python3 "$repo/scripts/test_summary.py" "$(( $(date +%s) - started ))" "${summary_args[@]}"
summary_status=$?
for preset in mingw-x64 mingw-x86; do
  if [ -e "$repo/build/$preset/e2e-artifacts" ]; then
    echo "end-to-end screenshots: $repo/build/$preset/e2e-artifacts/<test>/*.png"
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  printf 'failed: %s\n' "${failed[@]}"
  exit 1
fi
exit "$summary_status"
