"""The tray demo (TrayDemo.exe) on a Wine desktop of its own, for the end-to-end tests.

A DemoSession is a harness.Session whose desktop starts empty; demos are started on it one by
one, each with its command-line switches, and the desktop's windows are read through
windows.WindowTree.
"""

import os
import shutil
import subprocess
import sys

import harness
import windows

DEMO = "TrayDemo.exe"
# The class of the windows the program makes (its icon's tooltip, in the shell's process,
# may carry the same text).
DEMO_WINDOW_CLASS = "DustvaleWindow"


class DemoSession(harness.Session):
    """A Wine desktop with a taskbar and no program; start_demo() puts demos on it."""

    def __init__(self, name, demo_exe, window_tree_exe, template, artifacts):
        super().__init__(name, demo_exe, template, artifacts)
        self.window_tree_exe = window_tree_exe
        self.demos = []

    def _start(self):
        # As harness.Session._start, with the desktop started on its own.
        for d in (self.home, self.trash_files, self.trash_info):
            os.makedirs(d)
        shutil.copytree(os.path.join(self.template, "prefix"), self.prefix, symlinks=True)
        self._relink_user_folders()
        self.env = dict(os.environ, HOME=self.home, WINEPREFIX=self.prefix,
                        XDG_DATA_HOME=self.data_home,
                        XDG_CONFIG_HOME=os.path.join(self.home, ".config"),
                        XDG_CACHE_HOME=os.path.join(self.home, ".cache"), **harness.WINE_ENV)
        self.app_dir = os.path.join(self.prefix, "drive_c", "app")
        os.makedirs(self.app_dir)
        shutil.copy(self.exe, os.path.join(self.app_dir, DEMO))
        self.window_tree = windows.WindowTree(self, self.window_tree_exe)
        self._start_xvfb()
        self.reaper = subprocess.Popen(
            [sys.executable, harness.__file__, "reap", self.root, self.prefix,
             str(self.xvfb.pid)], stdin=subprocess.PIPE, start_new_session=True)
        self.log = open(os.path.join(self.artifacts, "wine.log"), "wb")
        self.launcher = subprocess.Popen(self._on_desktop(), env=self.env,
                                         stdin=subprocess.DEVNULL, stdout=self.log,
                                         stderr=subprocess.STDOUT, start_new_session=True)
        # A program started while Wine is still setting up the desktop may wait for long:
        # the window list is asked only once the taskbar is on the screen.
        harness.wait_until("the taskbar on the screen",
                           lambda: self.taskbar_colour() != (0, 0, 0), 60, 0.2)
        harness.wait_until("the desktop's taskbar in the window list", self._taskbar_drawn, 30,
                           0.5)

    def __exit__(self, kind, value, tb):
        try:
            return super().__exit__(kind, value, tb)
        finally:
            # The launchers of later demos return at once; the tear-down ended any left.
            for launcher in self.demos:
                try:
                    launcher.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    launcher.kill()
                    launcher.wait(timeout=10)

    def _on_desktop(self, *program):
        return super()._on_desktop(*program, desktop=windows.DESKTOP_NAME)

    def _taskbar_drawn(self):
        try:
            return any(w.class_name == windows.TASKBAR_CLASS and w.visible
                       for w in self.windows())
        except (subprocess.SubprocessError, AssertionError):
            return False

    # -- demos

    def start_demo(self, *args, timeout=30):
        """Starts one more demo on the desktop with the given switches; returns its pid once
        its icon's window exists (its window text "Tray demo N" is listed)."""
        before = set(self.app_processes())
        launcher = subprocess.Popen(self._on_desktop(f"C:\\app\\{DEMO}", *args), env=self.env,
                                    stdin=subprocess.DEVNULL, stdout=self.log,
                                    stderr=subprocess.STDOUT, start_new_session=True)
        self.demos.append(launcher)
        pids = harness.wait_until(f"a new {DEMO} to run",
                                  lambda: set(self.app_processes()) - before, timeout)
        pid = pids.pop()
        self.note(f"{DEMO} {' '.join(args)} runs (pid {pid})")
        return pid

    def app_processes(self):
        found = []
        for pid in harness._wine_processes(self.prefix):
            argv0 = harness._read_proc(pid, "cmdline").split(b"\0")[0]
            if argv0.lower().endswith(b"\\app\\" + DEMO.lower().encode()):
                found.append(pid)
        return found

    def wait_for_exit(self, pid, timeout):
        harness.wait_until(f"{DEMO} (pid {pid}) to end",
                           lambda: pid not in self.app_processes(), timeout)

    # -- the desktop's windows

    def windows(self):
        """The desktop's top-level windows, from the top of the z-order."""
        return self.window_tree.windows()

    def demo_titles(self):
        """The texts of the demos' own windows ("Tray demo 1", ...), sorted; none once the
        last demo has ended and the desktop closed with it."""
        try:
            tops = self.windows()
        except windows.DesktopClosed:
            return []
        return sorted(w.text for w in tops
                      if w.class_name == DEMO_WINDOW_CLASS and w.text.startswith("Tray demo "))

    def balloons(self, text):
        """Visible tooltip windows showing the text: the shell's balloon."""
        return [w for w in self.windows()
                if w.class_name == windows.TOOLTIP_CLASS and w.visible and w.text == text]
