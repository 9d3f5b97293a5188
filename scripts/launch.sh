#!/usr/bin/env bash
# Starts Dustvale (C:\Dustvale\Dustvale.exe in its own Wine prefix, put there by scripts/run.sh)
# on the X display. When the display has a system tray (a panel owning _NET_SYSTEM_TRAY_S0), it
# starts without a Wine desktop, so that the icon docks into that panel; otherwise in a Wine
# desktop window whose taskbar shows the tray. Says which it chose and why.
#
#   launch.sh [--desktop | --no-desktop] [--at-login]
#     --desktop      always in a Wine desktop window
#     --no-desktop   never: without a panel's tray, Wine shows the icon in a small window of its own
#     --at-login     what the log-in entry runs: starts Dustvale only while its "Start with
#                    Windows" box is ticked (the prefix holds the Run value "Dustvale"), and
#                    gives the panel time to start first
#
# scripts/run.sh runs it from the repository; `scripts/run.sh --install` copies it with its
# helpers beside the prefix, for the applications menu and the log-in entry.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
# The panel may start after the programs of the autostart folder: how long to wait for its tray.
login_tray_wait=30

mode=auto
at_login=false
for argument in "$@"; do
  case "$argument" in
    --desktop) mode=desktop ;;
    --no-desktop) mode=none ;;
    --at-login) at_login=true ;;
    *) echo "usage: $0 [--desktop | --no-desktop] [--at-login]" >&2; exit 2 ;;
  esac
done

say() { echo "dustvale: $*"; }

state="${XDG_DATA_HOME:-$HOME/.local/share}/dustvale"
export WINEPREFIX="$state/wineprefix-x64"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko set-up dialogs
# Memory that Wine's listings of a large Trash leave goes back to Linux (see scripts/wine.py).
GLIBC_TUNABLES=$("$here/wine.py" glibc-tunables)
export GLIBC_TUNABLES
app_dir="$WINEPREFIX/drive_c/Dustvale"
program='C:\Dustvale\Dustvale.exe'

if [ ! -f "$WINEPREFIX/.dustvale-ready" ] || [ ! -f "$app_dir/Dustvale.exe" ]; then
  say "Dustvale is not set up in $WINEPREFIX: run scripts/run.sh (or scripts/run.sh --install) first" >&2
  exit 1
fi

if $at_login; then
  status=0
  value=$("$here/run_value.py" "$WINEPREFIX") || status=$?
  case $status in
    0) say "\"Start with Windows\" is on (Run value \"Dustvale\" = $value): starting Dustvale" ;;
    1) say "\"Start with Windows\" is off (the Run value \"Dustvale\" is not in $WINEPREFIX):" \
           "not starting Dustvale"
       exit 0 ;;
    *) say "cannot tell whether \"Start with Windows\" is on: not starting Dustvale" >&2
       exit 1 ;;
  esac
fi

if [ -z "${DISPLAY:-}" ]; then
  say "there is no X display (DISPLAY is not set), so Wine cannot show Dustvale" >&2
  exit 2
fi

if [ "$mode" = auto ]; then
  wait_seconds=0
  $at_login && wait_seconds=$login_tray_wait
  status=0
  owner=$("$here/system_tray.py" owner --wait "$wait_seconds") || status=$?
  case $status in
    0) mode=none
       say "the display $DISPLAY has a system tray (window $owner owns _NET_SYSTEM_TRAY_S0):" \
           "starting Dustvale without a Wine desktop, so that its icon docks into your panel" ;;
    1) mode=desktop
       say "the display $DISPLAY has no system tray ($owner):" \
           "starting Dustvale in a Wine desktop window, whose taskbar shows its icon" ;;
    *) say "cannot look for a system tray on the display $DISPLAY" >&2; exit 2 ;;
  esac
elif [ "$mode" = desktop ]; then
  say "starting Dustvale in a Wine desktop window, as asked (--desktop)"
else
  say "starting Dustvale without a Wine desktop, as asked (--no-desktop)"
fi

# The loader the program's file needs (scripts/wine.py decides; it says why when none can).
loader=$("$here/wine.py" loader "$app_dir/Dustvale.exe")

# Ctrl-C, or the end of the session, ends Dustvale with its launcher: Wine's GUI programs
# ignore the terminal's signals. The prefix is Dustvale's own, so nothing else runs in it.
stop_dustvale() {
  trap - INT TERM HUP
  "$here/wine.py" tool wineserver -k 2>/dev/null || true
  exit 130
}
trap stop_dustvale INT TERM HUP

# Waited for in the background, so that a signal reaches the trap at once.
start_once() {
  if [ "$mode" = desktop ]; then
    "$here/wine.py" tool explorer /desktop=shell,1024x768 "$program" &
  else
    "$loader" "$program" &
  fi
  wait $!
}

if [ "$mode" = desktop ]; then
  say "close the desktop window or use Exit in the tray menu to stop Dustvale"
else
  say "use Exit in the tray menu to stop Dustvale"
fi
status=0
start_once || status=$?
exit "$status"
