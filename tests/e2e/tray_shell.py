"""The shell's side of a tray icon, played by TrayShell.exe (a helper of these tests run inside
the session's prefix, on its desktop): take an icon out of the tray, broadcast
"TaskbarCreated", send an icon's callback message as the notification area does.
"""

import os
import shutil
import subprocess

import windows

TOOL = "TrayShell.exe"
# The environment variable naming the built tool.
TOOL_VARIABLE = "DUSTVALE_TRAY_SHELL_EXE"
# The tray control's callback message and what the notification area sends with it for the
# keyboard, once the icon asked for the shell's version-3 behaviour.
CALLBACK_MESSAGE = 0x0401
NIN_KEYSELECT = 0x0401
WM_CONTEXTMENU = 0x007B
# The first control's icon (instance number 1).
FIRST_ICON_ID = 1000
# The class of the windows the program makes: the hidden main window and, as its child, the
# window that receives the icon's callback messages.
PROGRAM_WINDOW_CLASS = "DustvaleWindow"


class TrayShell:
    """TrayShell.exe on a session's desktop. Copies the tool (by default the one the
    environment names) into the session's application folder, which must exist."""

    def __init__(self, session, exe=None):
        self.session = session
        self.exe = exe or os.environ[TOOL_VARIABLE]
        shutil.copy(self.exe, os.path.join(session.app_dir, TOOL))

    def _run(self, *args):
        done = subprocess.run(
            self.session.program(self.exe, f"C:\\app\\{TOOL}", windows.DESKTOP_NAME, *args),
            env=self.session.env, capture_output=True, timeout=30, stdin=subprocess.DEVNULL)
        if done.returncode == 2:
            raise AssertionError(f"{TOOL} {' '.join(args)}: {done.stderr.decode(errors='replace')}")
        return done.returncode == 0

    def remove_icon(self, window, icon_id=FIRST_ICON_ID):
        """NIM_DELETE for the icon; whether the shell removed it."""
        return self._run("remove", f"{window:x}", str(icon_id))

    def taskbar_created(self):
        """Every top-level window of the desktop hears "TaskbarCreated"."""
        return self._run("taskbar-created")

    def notify(self, window, notification, times=1, icon_id=FIRST_ICON_ID):
        """The icon's callback message with `notification`, `times` times in a row, without
        waiting for the program."""
        return self._run("send", f"{window:x}", str(CALLBACK_MESSAGE), str(icon_id),
                         str(notification), str(times))


def callback_window(tops):
    """The handle of the window that receives the program's tray callbacks: the child of the
    program's hidden main window, among the desktop's top-level windows `tops`."""
    for w in tops:
        if w.class_name == PROGRAM_WINDOW_CLASS:
            for child in w.children:
                if child.class_name == PROGRAM_WINDOW_CLASS:
                    return child.handle
    raise AssertionError(f"no {PROGRAM_WINDOW_CLASS} window with its tray window: {tops!r}")
