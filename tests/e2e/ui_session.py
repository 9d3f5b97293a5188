"""Dustvale.exe driven through its tray menu, its message boxes and its Options dialog, as a
person would: the mouse on the tray icon and in the menus, mouse and keyboard in the dialog.

The desktop's windows and their controls are read through windows.WindowTree.
"""

import os
import subprocess
import time

import harness
import windows

# The tray menu as it shows when CCleaner is not installed: None is a separator; the first line
# is the size line, whose text changes every second.
MAIN_MENU = ["<size line>", "Recycle Bin", "Clean", None, "Options", "About", None, "Exit"]
SUB_MENUS = {"Recycle Bin": ["Empty", "Open"], "Clean": ["Temp Files"]}
# Pixels at 96 DPI: a menu's frame, one item's height, the tray icon's size and its distance
# from the taskbar's right end; and a separator's height at each DPI the tests use (as Wine 8
# draws them).
MENU_BORDER = 3
MENU_ITEM = 16
MENU_SEPARATOR = {96: 9, 144: 10}
TRAY_ICON = 16
TRAY_RIGHT_MARGIN = 2

RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"


def twips(value, dpi):
    """Twips to pixels as the dialog places its controls: to the nearest pixel, halves up."""
    return (value * dpi + 720) // 1440


class UiSession(harness.Session):
    """A Session that can see the desktop's windows and drive them."""

    def __init__(self, name, exe, window_tree_exe, template, artifacts, dpi=96, **kw):
        own_hook = kw.pop("before_start", None)

        def before_start(session):
            session.window_tree = windows.WindowTree(session, window_tree_exe)
            if own_hook is not None:
                own_hook(session)

        super().__init__(name, exe, template, artifacts, before_start=before_start, dpi=dpi,
                         **kw)
        self.later_launchers = []

    def __exit__(self, kind, value, tb):
        try:
            return super().__exit__(kind, value, tb)
        finally:
            for launcher in self.later_launchers:
                try:
                    launcher.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    launcher.kill()

    def scaled(self, pixels):
        return round(pixels * self.dpi / 96)

    # -- Wine's own tools

    def wine(self, *args, timeout=60, check=False):
        """Runs a Wine program of this prefix (reg, attrib, ...) and returns its result."""
        return self.wine_tool(*args, timeout=timeout, check=check)

    def run_value(self):
        """The data of the Run key's value "Dustvale" as `wine reg query` shows it, or None."""
        out = self.wine("reg", "query", RUN_KEY, "/v", "Dustvale")
        if out.returncode != 0:
            return None
        for line in out.stdout.decode(errors="replace").splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) == 3 and parts[0] == "Dustvale":
                if parts[1] != "REG_SZ":
                    raise AssertionError(f"the Run value is a {parts[1]}: {line!r}")
                return parts[2]
        raise AssertionError(f"reg query found the value but did not show it: {out.stdout!r}")

    def start_again(self):
        """Starts Dustvale.exe once more on the running desktop (the launcher returns at once)."""
        self.later_launchers.append(subprocess.Popen(
            self._on_desktop("C:\\app\\Dustvale.exe", desktop=windows.DESKTOP_NAME),
            env=self.env, stdin=subprocess.DEVNULL, stdout=self.log, stderr=subprocess.STDOUT,
            start_new_session=True))

    # -- the desktop's windows

    def windows(self):
        """The desktop's top-level windows from the top of the z-order, with their controls."""
        return self.window_tree.windows()

    def shown(self, class_name, text=None):
        return [w for w in self.windows() if w.visible and w.class_name == class_name
                and (text is None or w.text == text)]

    def wait_for_window(self, what, class_name, text=None, timeout=10):
        return harness.wait_until(what, lambda: self.shown(class_name, text), timeout)[0]

    def wait_for_no_window(self, what, class_name, text=None, timeout=10):
        harness.wait_until(what, lambda: not self.shown(class_name, text), timeout)

    def box(self, title, timeout=10):
        """The visible message box or dialog with this title."""
        return self.wait_for_window(f"a box titled {title!r}", windows.DIALOG_CLASS, title,
                                    timeout)

    # -- mouse and keyboard, through the X server (no window manager: keys go to Wine's active
    # window)

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, timeout=10, check=True,
                       stdin=subprocess.DEVNULL)

    def click(self, point, button=1):
        self.xdotool("mousemove", str(point[0]), str(point[1]))
        time.sleep(0.2)
        self.xdotool("click", str(button))

    def hover(self, point):
        self.xdotool("mousemove", str(point[0]), str(point[1]))

    def keys(self, *names):
        self.xdotool("key", "--delay", "50", *names)

    def type_text(self, text):
        self.xdotool("type", "--delay", "50", text)

    # -- the tray icon and its menu

    def tray_icon_centre(self):
        """Where the first tray icon shows: at the right end of the taskbar, centred on it."""
        taskbar = self.wait_for_window("the taskbar", windows.TASKBAR_CLASS)
        left, top, right, bottom = taskbar.rect
        return right - TRAY_RIGHT_MARGIN - self.scaled(TRAY_ICON) // 2, (top + bottom) // 2

    def open_menu(self, button=3):
        """Releases the button over the tray icon; returns the menu that opens."""
        self.click(self.tray_icon_centre(), button)
        return self.wait_for_window(f"the tray menu after a click of button {button}",
                                    windows.MENU_CLASS, timeout=5)

    def close_menu(self):
        """Clicks the empty desktop, as a user closes a menu without choosing."""
        self.click((100, 100))
        self.wait_for_no_window("the menu to close after a click elsewhere", windows.MENU_CLASS,
                                timeout=5)

    def item_centre(self, menu, entries, name):
        """The centre of the item `name` of a menu showing `entries`, from the menu's place.
        Fails when the menu's height is not that of these entries."""
        item = self.scaled(MENU_ITEM)
        separator = MENU_SEPARATOR[self.dpi]
        height = 2 * MENU_BORDER + sum(item if e is not None else separator for e in entries)
        if menu.size[1] != height:
            raise AssertionError(f"{menu!r} is not {height} px high as {entries} would be")
        y = menu.rect[1] + MENU_BORDER
        for entry in entries:
            if entry == name:
                return (menu.rect[0] + menu.rect[2]) // 2, y + item // 2
            y += item if entry is not None else separator
        raise AssertionError(f"no item {name!r} in {entries}")

    def choose(self, *path, button=3, shot=None):
        """Opens the tray menu and chooses the item at the end of the path of captions, opening
        sub-menus by hovering over their items; shot: a screenshot's label, taken just before
        the last click."""
        menu = self.open_menu(button)
        entries = MAIN_MENU
        for depth, name in enumerate(path):
            if depth == len(path) - 1:
                point = self.item_centre(menu, entries, name)
                self.hover(point)
                if shot is not None:
                    time.sleep(0.2)
                    self.screenshot(shot)
                self.click(point)
                return
            menu = self.open_sub_menu(menu, entries, name)
            entries = SUB_MENUS[name]

    def open_sub_menu(self, menu, entries, name):
        """Hovers over the item `name` of the open menu; returns the sub-menu that opens."""
        before = {w.handle for w in self.shown(windows.MENU_CLASS)}
        self.hover(self.item_centre(menu, entries, name))
        return harness.wait_until(
            f"the sub-menu of {name!r}",
            lambda: [w for w in self.shown(windows.MENU_CLASS) if w.handle not in before], 5)[0]


def of_the_build(name, **kw):
    """A UiSession of the program this build made (from the test environment's variables)."""
    return UiSession(name, os.environ["DUSTVALE_EXE"], os.environ["DUSTVALE_WINDOW_TREE_EXE"],
                     os.environ["DUSTVALE_E2E_TEMPLATE"], os.environ["DUSTVALE_E2E_ARTIFACTS"],
                     **kw)


def later_start(name, **kw):
    """The build's program started as on any day after the first: the manifest the first start
    wrote lies beside the executable."""
    return of_the_build(name, manifest=True, **kw)
