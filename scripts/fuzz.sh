#!/usr/bin/env bash
# Builds the linux-fuzz preset and runs every libFuzzer target for SECONDS each (default 60),
# one after the other. Each target works on a corpus kept between runs in
# build/linux-fuzz/fuzz-corpus/<target>/, started from tests/fuzz/corpus/<target>/ (the committed
# inputs are never changed). Prints per target the runs executed, exec/s, coverage (cov: edges,
# ft: features) and any finding, whose input stays in build/linux-fuzz/fuzz-findings/<target>/.
# Exits 1 when a target found something, 2 when the build failed.
#
#   scripts/fuzz.sh [SECONDS]
set -uo pipefail

seconds=${1:-60}
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [seconds-per-target]" >&2
  exit 2
fi

repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
build="$repo/build/linux-fuzz"

for tool in cmake ninja clang++; do
  if ! command -v "$tool" >/dev/null; then
    echo "fuzz: $tool is missing; scripts/setup.sh test installs it" >&2
    exit 2
  fi
done
echo "== linux-fuzz: configure and build"
if ! cmake --preset linux-fuzz >/dev/null || ! cmake --build --preset linux-fuzz -j"$(nproc)"; then
  echo "fuzz: the linux-fuzz build failed" >&2
  exit 2
fi

found=()
printf '\n%-20s %12s %9s %7s %8s  %s\n' target runs exec/s cov ft result
while IFS=$'\t' read -r name exe inputs dict; do
  corpus="$build/fuzz-corpus/$name"
  findings="$build/fuzz-findings/$name"
  log="$build/fuzz-logs/$name.log"
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  cp -n "$inputs"/* "$corpus"/ 2>/dev/null
  options=(-max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -max_len=2048
           -print_final_stats=1 -artifact_prefix="$findings/")
  [ -n "$dict" ] && options+=(-dict="$dict")
  "$exe" "${options[@]}" "$corpus" >"$log" 2>&1
  status=$?

  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  last=$(grep -E '^#[0-9]+' "$log" | grep -E ' cov: ' | tail -1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  if [ "$status" -eq 0 ]; then
    result=ok
  else
    artifact=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -1)
    reason=$(grep -m1 -E 'broken invariant|ERROR: (AddressSanitizer|libFuzzer|LeakSanitizer)|runtime error' "$log")
    result="FOUND: ${reason:-exit $status} -> ${artifact:-see $log}"
    found+=("$name")
  fi
  printf '%-20s %12s %9s %7s %8s  %s\n' "$name" "${runs:-?}" "${speed:-?}" "${cov:-?}" "${ft:-?}" "$result"
done <"$build/tests/fuzz/targets.txt"

echo "logs: $build/fuzz-logs/<target>.log"
if [ ${#found[@]} -gt 0 ]; then
  echo "fuzz: findings in ${found[*]} (inputs in $build/fuzz-findings/<target>/)"
  exit 1
fi
echo "fuzz: no findings"
