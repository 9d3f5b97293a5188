#!/usr/bin/python3
"""Whether the X display has a system tray: a panel that owns the selection
_NET_SYSTEM_TRAY_S<screen> (freedesktop's System Tray protocol, over XEmbed), where Wine docks
tray icons when it runs without a virtual desktop.

    system_tray.py owner [--wait SECONDS]
        prints the tray's window id and exits 0; exits 1, saying that nothing owns the
        selection, when the display has no tray (after waiting up to SECONDS for one, as at log-in, where the panel may start
        after the programs of the autostart folder); exits 2 when the display cannot be opened

Reads DISPLAY like every X program. Plain Python: Xlib through ctypes.
"""

import ctypes
import ctypes.util
import os
import sys
import time

NO_TRAY = 1
NO_DISPLAY = 2
POLL_SECONDS = 0.25


class DisplayError(Exception):
    pass


class Display:
    """One connection to the X display named by DISPLAY. Use as a context manager."""

    def __init__(self):
        path = ctypes.util.find_library("X11")
        if path is None:
            raise DisplayError("libX11 is not installed")
        self._x = ctypes.CDLL(path)
        self._x.XOpenDisplay.restype = ctypes.c_void_p
        self._x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self._x.XDefaultScreen.argtypes = [ctypes.c_void_p]
        self._x.XInternAtom.restype = ctypes.c_ulong
        self._x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        self._x.XGetSelectionOwner.restype = ctypes.c_ulong
        self._x.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self._x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        name = os.environ.get("DISPLAY", "")
        self._display = self._x.XOpenDisplay(name.encode())
        if not self._display:
            raise DisplayError(f"cannot open the X display {name!r}")

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self._x.XCloseDisplay(self._display)
        return False

    def tray_selection(self):
        return f"_NET_SYSTEM_TRAY_S{self._x.XDefaultScreen(self._display)}"

    def tray_owner(self):
        """The window owning the tray's selection, or 0 when no tray runs."""
        atom = self._x.XInternAtom(self._display, self.tray_selection().encode(), False)
        return self._x.XGetSelectionOwner(self._display, atom)


def wait_for_owner(display, seconds):
    deadline = time.monotonic() + seconds
    while True:
        owner = display.tray_owner()
        if owner or time.monotonic() >= deadline:
            return owner
        time.sleep(POLL_SECONDS)


def main(argv):
    if len(argv) == 2 and argv[1] == "owner":
        seconds = 0.0
    elif len(argv) == 4 and argv[1] == "owner" and argv[2] == "--wait":
        try:
            seconds = float(argv[3])
        except ValueError:
            seconds = -1
        if not 0 <= seconds <= 3600:
            print("system_tray.py: --wait takes a number of seconds up to 3600", file=sys.stderr)
            return NO_DISPLAY
    else:
        print(__doc__, file=sys.stderr)
        return NO_DISPLAY
    try:
        with Display() as display:
            owner = wait_for_owner(display, seconds)
            if not owner:
                waited = f" within {seconds:g} s" if seconds else ""
                print(f"nothing owns {display.tray_selection()}{waited}")
                return NO_TRAY
            print(f"0x{owner:x}")
            return 0
    except DisplayError as e:
        print(f"system_tray.py: {e}", file=sys.stderr)
        return NO_DISPLAY


if __name__ == "__main__":
    sys.exit(main(sys.argv))
