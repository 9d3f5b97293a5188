#!/usr/bin/env bash
# The benchmark command (not part of the tests): installs what is missing, builds the mingw-x64
# preset (and the mingw-x86 executables, for their sizes) and measures the 64-bit programs, each
# under 64-bit Wine on virtual X servers of its own:
#   1. Dustvale.exe's footprint beside the baseline tray program (bench/footprint.py): CPU time
#      and private memory over SECONDS of idling, start-up to the icon, one tick, the menu, the
#      executables' sizes of both architectures, with an empty Recycle Bin and with 10,000
#      items in it; Dustvale's latency, CPU and memory beside those of the program before its
#      Recycle Bin worker (bench/earlier/, a run on a 2-core machine like CI's);
#   2. the Temp Files clean beside `rd /s /q` at 10,000 and 50,000 files, and 50 runs of it
#      raced by a process swapping its folders for links to an outside folder (bench/cleaner.py);
#      one run of removal by age on a Trash of 10,000 and 50,000 items, half of them past the
#      limit: time and CPU, the program's and the Wine server's (bench/removal.py);
#   3. Dustvale's own code in the simulated Windows under valgrind: instructions per tick and
#      the heap's peak (bench/own_cost.py, on a Linux build in build/linux-bench);
#   4. start-up as a Linux user meets it: from scripts/run.sh to the icon in the tray, docked
#      into a panel's tray (trayer) and in the Wine desktop window, median of 5 runs each
#      (bench/startup_tray.py);
#   5. a longer run of every fuzz target (scripts/fuzz.sh, FUZZ_SECONDS each).
# Tables, JSON and a plot go to build/mingw-x64/bench/. Exits non-zero when a step could not run or
# a fuzz target found something; missed aims are listed, not treated as failures.
#
#   scripts/bench.sh [SECONDS] [FUZZ_SECONDS]     defaults: 60 and 60
set -uo pipefail

seconds=${1:-60}
fuzz_seconds=${2:-60}
for value in "$seconds" "$fuzz_seconds"; do
  if ! [[ "$value" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 [seconds-idle] [fuzz-seconds-per-target]" >&2
    exit 2
  fi
done

repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
started=$(date +%s)
"$repo/scripts/setup.sh" bench || exit 1

build="$repo/build/mingw-x64"
echo
echo "== mingw-x64: configure and build"
if ! cmake --preset mingw-x64 >/dev/null ||
   ! cmake --build --preset mingw-x64 -j"$(nproc)" --target Dustvale DustvaleBaselineTray \
       DustvaleTickTimer DustvaleTrayDemo dustvale_e2e_WindowTree dustvale_e2e_HoldFile; then
  echo "bench: the mingw-x64 build failed" >&2
  exit 2
fi
echo
echo "== mingw-x86: configure and build (for the sizes of the 32-bit executables)"
if ! cmake --preset mingw-x86 >/dev/null ||
   ! cmake --build --preset mingw-x86 -j"$(nproc)" --target Dustvale DustvaleBaselineTray \
       DustvaleTrayDemo; then
  echo "bench: the mingw-x86 build failed" >&2
  exit 2
fi
mkdir -p "$build/bench"
echo
echo "== linux-bench: configure and build (optimised as Dustvale.exe is)"
if ! cmake -S "$repo" -B "$repo/build/linux-bench" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
       >/dev/null ||
   ! cmake --build "$repo/build/linux-bench" -j"$(nproc)" --target dustvale_own_cost; then
  echo "bench: the linux-bench build failed" >&2
  exit 2
fi

failed=()
missed=()
run_step() {  # name, command...: 0 ran with every aim met, 3 ran with an aim missed
  local name=$1; shift
  echo
  echo "== $name"
  "$@"
  case $? in
    0) ;;
    3) missed+=("$name") ;;
    *) failed+=("$name") ;;
  esac
}
run_step "footprint" /usr/bin/python3 "$repo/bench/footprint.py" --build "$build" \
  --seconds "$seconds" --items 10000 --sizes-of "$repo/build/mingw-x86" \
  --compare "$repo/bench/earlier/footprint-counted-on-the-window-thread.json"
run_step "cleaner" /usr/bin/python3 "$repo/bench/cleaner.py" --build "$build" \
  --files 10000 50000 --race-runs 50
run_step "stubborn bin" /usr/bin/python3 "$repo/bench/stubborn_bin.py" --build "$build" \
  --items 20000 --seconds 300
run_step "removal by age" /usr/bin/python3 "$repo/bench/removal.py" --build "$build" \
  --items 10000 50000 --runs 3
run_step "own cost" /usr/bin/python3 "$repo/bench/own_cost.py" --build "$repo/build/linux-bench" \
  --out "$build/bench"
run_step "start-up to the tray" /usr/bin/python3 "$repo/bench/startup_tray.py" --runs 5 \
  --out "$build/bench"
run_step "fuzzing" "$repo/scripts/fuzz.sh" "$fuzz_seconds"

echo
echo "== summary ($(( $(date +%s) - started )) s)"
for table in footprint.md cleaner.md stubborn_bin.md removal.md own_cost.md startup_tray.md; do
  [ -e "$build/bench/$table" ] && { echo; cat "$build/bench/$table"; }
done
echo
echo "results: $build/bench/ (footprint.md, footprint.png, footprint.json, cleaner.md," \
  "cleaner.json, stubborn_bin.md, own_cost.md, startup_tray.md, startup_tray.json)"
[ ${#missed[@]} -gt 0 ] && printf 'aims missed in: %s (see above)\n' "${missed[*]}"
if [ ${#failed[@]} -gt 0 ]; then
  printf 'failed: %s\n' "${failed[@]}"
  exit 1
fi
exit 0
