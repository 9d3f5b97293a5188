"""The windows of a session's Wine desktop, read through WindowTree.exe (a helper of these tests
run inside the session's prefix): Wine draws them all inside one X window, so X tools cannot tell
a menu from a box.
"""

import os
import shutil
import subprocess
import time

import harness

TOOL = "WindowTree.exe"
# The environment variable naming the built tool.
TOOL_VARIABLE = "DUSTVALE_WINDOW_TREE_EXE"
DESKTOP_NAME = "shell"
MENU_CLASS = "#32768"
DIALOG_CLASS = "#32770"
TASKBAR_CLASS = "Shell_TrayWnd"
TOOLTIP_CLASS = "tooltips_class32"
# What the tool answers when the box did not show in time.
NOT_SHOWN = 3


class DesktopClosed(AssertionError):
    """The desktop is gone: Wine's server closes a desktop a second after the last program on
    it (besides explorer, which draws it) has ended."""


class Window:
    """One line of WindowTree.exe; a top-level window also holds its child windows and theirs,
    in order, in .children."""

    def __init__(self, line):
        depth, handle, self.class_name, ident, visible, enabled, check, rect, self.text = \
            line.split("\t", 8)
        self.depth = int(depth)
        self.handle = int(handle, 16)
        self.id = int(ident)
        self.visible = visible == "1"
        self.enabled = enabled == "1"
        self.check = None if check == "-" else int(check)
        self.rect = tuple(int(v) for v in rect.split(","))
        self.children = []

    @property
    def centre(self):
        left, top, right, bottom = self.rect
        return (left + right) // 2, (top + bottom) // 2

    @property
    def size(self):
        left, top, right, bottom = self.rect
        return right - left, bottom - top

    def child(self, ident):
        for c in self.children:
            if c.id == ident:
                return c
        raise AssertionError(f"{self!r} has no control {ident}: {self.children!r}")

    def button(self, text):
        for c in self.children:
            if c.text == text:
                return c
        raise AssertionError(f"{self!r} has no button {text!r}: {self.children!r}")

    def __repr__(self):
        return (f"<{self.class_name} {self.handle:08x} id={self.id} {self.text!r} "
                f"rect={self.rect} visible={self.visible} enabled={self.enabled} "
                f"check={self.check}>")


def parse(text):
    """The top-level windows of the tool's output, each with its children."""
    tops = []
    for line in text.splitlines():
        if not line:
            continue
        window = Window(line)
        if window.depth == 0:
            tops.append(window)
        elif tops:
            tops[-1].children.append(window)
    return tops


class WindowTree:
    """WindowTree.exe on a session's desktop. Copies the tool (by default the one the
    environment names) into the session's application folder, which must exist."""

    def __init__(self, session, exe=None):
        self.session = session
        self.exe = exe or os.environ[TOOL_VARIABLE]
        shutil.copy(self.exe, os.path.join(session.app_dir, TOOL))

    def _args(self, *args):
        return self.session.program(self.exe, self.session.app_path(TOOL),
                                    self.session.DESKTOP_NAME, *args)

    def _run(self, *args, timeout):
        return subprocess.run(self._args(*args), env=self.session.env, capture_output=True,
                              timeout=timeout, stdin=subprocess.DEVNULL)

    def windows(self):
        """The desktop's top-level windows from the top of the z-order, with their controls."""
        done = self._run(timeout=30)
        if done.returncode != 0:
            error = done.stderr.decode(errors="replace")
            kind = DesktopClosed if "no desktop of that name" in error else AssertionError
            raise kind(f"{TOOL} failed ({done.returncode}): {error}")
        return parse(done.stdout.decode("utf-8"))

    def wait_for_box(self, text, timeout):
        """Waits (inside Wine, looking every 10 ms) until a visible box shows the text; returns
        that box's window with its children, and the seconds the wait took."""
        started = time.monotonic()
        done = self._run(text, str(int(timeout * 1000)), timeout=timeout + 30)
        took = time.monotonic() - started
        if done.returncode == NOT_SHOWN:
            raise harness.WaitFailed(f"no box showed {text!r} within {timeout} s")
        if done.returncode != 0:
            raise AssertionError(f"{TOOL} failed ({done.returncode})")
        box = box_showing(parse(done.stdout.decode("utf-8")), text)
        if box is None:
            raise AssertionError(f"the box showing {text!r} went before it could be listed")
        return box, took

    def no_box_for(self, text, seconds):
        """Checks that no box shows the text for the given time."""
        done = self._run(text, str(int(seconds * 1000)), timeout=seconds + 30)
        if done.returncode != NOT_SHOWN:
            raise AssertionError(f"a box showed {text!r}")

    def watch_for_box(self, text, timeout):
        """Starts waiting for a box showing the text and returns at once: the running tool,
        whose output box_showing() reads once it ended (exit code 0: the box showed)."""
        return subprocess.Popen(self._args(text, str(int(timeout * 1000))), env=self.session.env,
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL)


def box_showing(tops, text):
    """The visible dialog box among the windows with a control showing the text, or None."""
    for w in tops:
        if w.class_name == DIALOG_CLASS and w.visible and any(c.text == text
                                                              for c in w.children):
            return w
    return None
