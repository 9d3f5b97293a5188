#!/usr/bin/env bash
# Installs what building, running and testing Dustvale need on Debian 12, and nothing that is
# already there. Safe to run again. Used by run.sh, test.sh and bench.sh.
#
#   scripts/setup.sh run    the cross compilers, CMake, Wine and a virtual X server
#   scripts/setup.sh test   the same, plus the native compilers (g++, and clang for fuzzing)
#                           and GoogleTest
#   scripts/setup.sh bench  the same as test, plus what the benchmarks plot with
set -euo pipefail

purpose=${1:-test}
case "$purpose" in
  run|test|bench) ;;
  *) echo "usage: $0 [run|test|bench]" >&2; exit 2 ;;
esac

# package  why
run_packages=(
  "cmake                   build system"
  "ninja-build             build tool used by the CMake presets"
  "g++-mingw-w64-x86-64-posix  cross compiler for the 64-bit Dustvale.exe"
  "mingw-w64-x86-64-dev    Windows headers and libraries for the 64-bit cross compiler"
  "g++-mingw-w64-i686-posix  cross compiler for the 32-bit Dustvale.exe"
  "mingw-w64-i686-dev      Windows headers and libraries for the 32-bit cross compiler"
  "googletest              GoogleTest sources, built with the cross compilers"
  "wine                    Wine's programs and settings"
  "wine64                  64-bit Wine: runs the 64-bit Dustvale.exe on Linux"
  "wine32:i386             32-bit Wine: runs the 32-bit build where the kernel runs 32-bit programs"
  "xvfb                    virtual X server for headless runs and tests"
  "xauth                   used by xvfb-run"
  "x11-utils               xdpyinfo: checks that the display answers"
  "xdotool                 drives the Wine desktop in tests"
  "imagemagick             screenshots of the Wine desktop"
  "trayer                  a small panel tray (XEmbed) for headless runs and tests"
  "python3                 the end-to-end harness and the icon generator"
)
test_packages=(
  "g++                     native compiler for the Linux unit and contract tests"
  "libgtest-dev            GoogleTest for the Linux tests"
  "clang                   compiler with libFuzzer for the fuzz targets"
  "libclang-rt-14-dev      libFuzzer and the sanitizers' run-time for clang"
  "desktop-file-utils      desktop-file-validate: checks the menu and log-in entries"
)
bench_packages=(
  "python3-matplotlib      the benchmarks' plot"
  "valgrind                counts the instructions and the heap of Dustvale's own code"
)
wanted=("${run_packages[@]}")
[ "$purpose" != run ] && wanted+=("${test_packages[@]}")
[ "$purpose" = bench ] && wanted+=("${bench_packages[@]}")

if [ ! -r /etc/debian_version ] || ! command -v dpkg-query >/dev/null; then
  echo "setup: this script installs with apt-get on Debian 12; install by hand:" >&2
  printf '  %s\n' "${wanted[@]}" >&2
  exit 1
fi

is_installed() {
  [ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null)" = installed ]
}

# One question to dpkg for every package (scripts/run.sh asks at each start): "name status"
# lines, where dpkg names some native packages with their architecture ("libgtest-dev:amd64")
# and a foreign one always ("wine32:i386", as wanted).
names=()
for line in "${wanted[@]}"; do read -r package _ <<<"$line"; names+=("$package"); done
native=$(dpkg --print-architecture)
declare -A status_of=()
while read -r package status; do
  status_of[${package%:"$native"}]=$status
done < <(dpkg-query -W -f='${binary:Package} ${db:Status-Status}\n' "${names[@]}" 2>/dev/null || true)

missing=()
for line in "${wanted[@]}"; do
  read -r package why <<<"$line"
  if [ "${status_of[$package]:-}" = installed ]; then
    echo "setup: $package is already installed"
  else
    missing+=("$package")
    echo "setup: will install $package ($why)"
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: nothing to install"
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing packages: ${missing[*]}" >&2
  echo "setup: run this script as root (or install them with sudo apt-get install) and try again" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
needs_i386=false
for package in "${missing[@]}"; do
  [[ "$package" == *:i386 ]] && needs_i386=true
done
if $needs_i386 && ! dpkg --print-foreign-architectures | grep -qx i386; then
  # The 32-bit packages install also where the kernel runs no 32-bit programs; the tests of
  # the 32-bit build are skipped there (scripts/wine.py tells).
  echo "setup: adding the i386 architecture (for 32-bit Wine)"
  dpkg --add-architecture i386
fi

echo "setup: apt-get update"
if ! apt-get update -q; then
  echo "setup: apt-get update failed: check the network and /etc/apt/sources.list" >&2
  exit 1
fi
echo "setup: apt-get install ${missing[*]}"
if ! apt-get install -y -q "${missing[@]}"; then
  echo "setup: could not install: ${missing[*]}" >&2
  exit 1
fi
for package in "${missing[@]}"; do
  if ! is_installed "$package"; then
    echo "setup: $package is still not installed" >&2
    exit 1
  fi
done
echo "setup: installed ${missing[*]}"
