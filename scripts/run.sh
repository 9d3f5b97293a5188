#!/usr/bin/env bash
# Builds the 64-bit Dustvale.exe and starts it under 64-bit Wine, in a Wine desktop window whose
# taskbar shows the tray. Its Recycle Bin is your freedesktop Trash ($XDG_DATA_HOME/Trash).
#
#   scripts/run.sh                       on your X display
#   scripts/run.sh --headless [SECONDS]  on a virtual X server, saving a screenshot of the Wine
#                                        desktop every few seconds (until Ctrl-C or SECONDS)
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
headless=false
seconds=0
case "${1:-}" in
  "") ;;
  --headless) headless=true; seconds=${2:-0} ;;
  *) echo "usage: $0 [--headless [SECONDS]]" >&2; exit 2 ;;
esac
if ! [[ "$seconds" =~ ^[0-9]+$ ]]; then
  echo "run: SECONDS must be a whole number" >&2; exit 2
fi

# Check the display before spending time on set-up.
if ! $headless; then
  if [ -z "${DISPLAY:-}" ]; then
    echo "run: there is no X display (DISPLAY is not set), so Wine cannot show its desktop." >&2
    echo "run: to run Dustvale on a virtual X server with screenshots saved every few seconds:" >&2
    echo "run:     $0 --headless" >&2
    exit 2
  fi
fi

"$repo/scripts/setup.sh" run

if ! $headless && ! xdpyinfo >/dev/null 2>&1; then
  echo "run: the X display $DISPLAY does not answer. Try:  $0 --headless" >&2
  exit 2
fi

echo "run: building the 64-bit Dustvale.exe (preset mingw-x64)"
cd "$repo"
cmake --preset mingw-x64 >/dev/null
cmake --build build/mingw-x64 --target Dustvale -j"$(nproc)"
exe="$repo/build/mingw-x64/main/Dustvale.exe"
[ -f "$exe" ] || { echo "run: the build did not produce $exe" >&2; exit 1; }

# Wine's programs always through scripts/wine.py, which picks the 64-bit loader and server.
wine_tool() { "$repo/scripts/wine.py" tool "$@"; }

state="${XDG_DATA_HOME:-$HOME/.local/share}/dustvale"
# A 64-bit prefix of its own. Earlier versions kept a 32-bit one in "wineprefix", which 64-bit
# Wine cannot use: it is left alone.
export WINEPREFIX="$state/wineprefix-x64"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko set-up dialogs
if [ -d "$state/wineprefix" ]; then
  echo "run: $state/wineprefix is an earlier version's 32-bit Wine prefix, no longer used" \
       "(its settings file and manifest stay there; remove the folder when you no longer need it)"
fi
if [ ! -f "$WINEPREFIX/.dustvale-ready" ]; then
  echo "run: creating the 64-bit Wine prefix $WINEPREFIX (once; this takes a little while)"
  mkdir -p "$state"
  env -u DISPLAY "$repo/scripts/wine.py" tool wineboot --init
  wine_tool wineserver --wait
  "$repo/scripts/wine.py" add-fonts "$WINEPREFIX"
  touch "$WINEPREFIX/.dustvale-ready"
fi

# The program lives in the prefix, where its settings file and manifest stay between runs.
app_dir="$WINEPREFIX/drive_c/Dustvale"
mkdir -p "$app_dir"
cp -f "$exe" "$app_dir/Dustvale.exe"
echo "run: Dustvale.exe is C:\\Dustvale\\Dustvale.exe in $WINEPREFIX"
echo "run: its Recycle Bin is ${XDG_DATA_HOME:-$HOME/.local/share}/Trash"

xvfb_pid=""
shooter_pid=""
interrupted=false
cleanup() {
  [ -n "$shooter_pid" ] && kill "$shooter_pid" 2>/dev/null || true
  # Ctrl-C ends Dustvale too; the prefix is Dustvale's own, so nothing else runs in it.
  if $headless || $interrupted; then
    wine_tool wineserver -k 2>/dev/null || true
  fi
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
trap 'interrupted=true; exit 130' INT TERM

if $headless; then
  shots="$state/headless"
  mkdir -p "$shots"
  displayfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$displayfile" 2>"$shots/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$displayfile" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { echo "run: Xvfb failed, see $shots/xvfb.log" >&2; exit 1; }
    sleep 0.1
  done
  [ -s "$displayfile" ] || { echo "run: Xvfb did not start within 10 s" >&2; exit 1; }
  export DISPLAY=":$(tr -d '\n' <"$displayfile")"
  rm -f "$displayfile"
  echo "run: virtual X server on $DISPLAY"
  echo "run: the Wine desktop is saved every 3 s to $shots/desktop.png (Ctrl-C stops Dustvale)"
  (
    while sleep 3; do
      import -window root "$shots/desktop.tmp.png" 2>/dev/null &&
        mv -f "$shots/desktop.tmp.png" "$shots/desktop.png"
    done
  ) &
  shooter_pid=$!
fi

start_desktop() {
  if $headless && [ "$seconds" -gt 0 ]; then
    timeout "$seconds" "$repo/scripts/wine.py" tool explorer /desktop=shell,1024x768 \
      'C:\Dustvale\Dustvale.exe'
  else
    wine_tool explorer /desktop=shell,1024x768 'C:\Dustvale\Dustvale.exe'
  fi
}

echo "run: starting Dustvale in a Wine desktop (close the desktop window or use Exit in the tray menu to stop)"
status=0
start_desktop || status=$?
# The end of a headless run's time is not a failure.
[ "$status" -eq 124 ] && $headless && status=0
exit "$status"
