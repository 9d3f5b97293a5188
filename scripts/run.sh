#!/usr/bin/env bash
# Builds the 64-bit Dustvale.exe, sets it up in a Wine prefix of its own and starts it under
# 64-bit Wine. Its Recycle Bin is your freedesktop Trash ($XDG_DATA_HOME/Trash). When your
# display has a system tray (a panel owning _NET_SYSTEM_TRAY_S0), Dustvale's icon docks into that
# panel; otherwise it shows in a Wine desktop window whose taskbar has a tray. It says which.
#
#   scripts/run.sh [--desktop | --no-desktop]   on your X display; --desktop always uses the Wine
#                                               desktop window, --no-desktop never does
#   scripts/run.sh --headless [SECONDS]         on a virtual X server with a small panel tray
#                                               (trayer), saving a screenshot every few seconds
#                                               (until Ctrl-C or SECONDS); with --desktop, in a
#                                               Wine desktop window there instead
#   scripts/run.sh --install                    sets Dustvale up, adds it to the applications
#                                               menu and starts it at log-in while its "Start
#                                               with Windows" box is ticked
#   scripts/run.sh --uninstall                  takes it out of the menu and log-in again (the
#                                               prefix and the settings stay)
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
usage() {
  echo "usage: $0 [--desktop | --no-desktop] [--headless [SECONDS]]" >&2
  echo "       $0 --install | --uninstall" >&2
  exit 2
}

action=run
headless=false
seconds=0
mode_option=""
while [ $# -gt 0 ]; do
  case "$1" in
    --desktop|--no-desktop)
      [ -z "$mode_option" ] || usage
      mode_option=$1 ;;
    --headless)
      headless=true
      if [ $# -gt 1 ] && [[ "$2" != --* ]]; then seconds=$2; shift; fi ;;
    --install|--uninstall)
      [ "$action" = run ] || usage
      action=${1#--} ;;
    *) usage ;;
  esac
  shift
done
if ! [[ "$seconds" =~ ^[0-9]+$ ]]; then
  echo "run: SECONDS must be a whole number" >&2; exit 2
fi
if [ "$action" != run ] && { $headless || [ -n "$mode_option" ]; }; then
  usage
fi

if [ "$action" = uninstall ]; then
  exec "$repo/scripts/install.sh" --uninstall
fi

# Check the display before spending time on set-up.
if [ "$action" = run ] && ! $headless && [ -z "${DISPLAY:-}" ]; then
  echo "run: there is no X display (DISPLAY is not set), so Wine cannot show Dustvale." >&2
  echo "run: to run Dustvale on a virtual X server with screenshots saved every few seconds:" >&2
  echo "run:     $0 --headless" >&2
  exit 2
fi

"$repo/scripts/setup.sh" run

if [ "$action" = run ] && ! $headless && ! xdpyinfo >/dev/null 2>&1; then
  echo "run: the X display $DISPLAY does not answer. Try:  $0 --headless" >&2
  exit 2
fi

echo "run: building the 64-bit Dustvale.exe (preset mingw-x64)"
cd "$repo"
# Configured once; the build configures again by itself when a CMake file has changed.
[ -f build/mingw-x64/CMakeCache.txt ] || cmake --preset mingw-x64 >/dev/null
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

if [ "$action" = install ]; then
  exec "$repo/scripts/install.sh"
fi

launch=("$repo/scripts/launch.sh")
[ -n "$mode_option" ] && launch+=("$mode_option")

if ! $headless; then
  status=0
  "${launch[@]}" || status=$?
  exit "$status"
fi

# ---- headless: a virtual X server of its own, with a panel tray unless --desktop ------------

shots="$state/headless"
mkdir -p "$shots"
helpers=()
xvfb_pid=""
cleanup() {
  for pid in "${helpers[@]}"; do kill "$pid" 2>/dev/null || true; done
  # Dustvale ends with the run; the prefix is Dustvale's own, so nothing else runs in it.
  wine_tool wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

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

if [ "$mode_option" != --desktop ]; then
  # A small panel at the top right, as a desktop's own panel would be, so that the menu opens
  # below the icon and a screenshot shows both.
  trayer --edge top --align right --widthtype request --height 24 --SetDockType false \
    --SetPartialStrut false >"$shots/trayer.log" 2>&1 &
  helpers+=($!)
  if ! "$repo/scripts/system_tray.py" owner --wait 10 >/dev/null; then
    echo "run: the panel tray (trayer) did not start, see $shots/trayer.log" >&2
    exit 1
  fi
  echo "run: a panel tray (trayer) runs at the top right of $DISPLAY"
fi

echo "run: the screen is saved every 3 s to $shots/desktop.png (Ctrl-C stops Dustvale)"
(
  while sleep 3; do
    import -window root "$shots/desktop.tmp.png" 2>/dev/null &&
      mv -f "$shots/desktop.tmp.png" "$shots/desktop.png"
  done
) &
helpers+=($!)

status=0
if [ "$seconds" -gt 0 ]; then
  timeout "$seconds" "${launch[@]}" || status=$?
  # The end of the run's time is not a failure.
  [ "$status" -eq 124 ] && status=0
else
  "${launch[@]}" || status=$?
fi
exit "$status"
