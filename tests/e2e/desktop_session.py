"""Dustvale set up as scripts/run.sh sets it up on a Linux desktop, and started by its launcher
(scripts/launch.sh): the prefix in $XDG_DATA_HOME/dustvale/wineprefix-x64, the program at
C:\\Dustvale\\Dustvale.exe, on a virtual X server with a panel tray (Debian's trayer, an XEmbed
tray as the desktops' panels are) or without one.
"""

import os
import re
import subprocess

import harness
import ui_session
import windows

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
LAUNCH = os.path.join(REPO, "scripts", "launch.sh")
INSTALL = os.path.join(REPO, "scripts", "install.sh")
# A panel at the top right of the screen, sized to its icons, as scripts/run.sh --headless
# starts it.
TRAYER = ["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
          "--height", "24", "--SetDockType", "false", "--SetPartialStrut", "false"]
# One window of `xwininfo -root -tree`: indent, WM_CLASS (instance and class, when it has one),
# size, and place on the screen.
TREE_LINE = re.compile(r'^(?P<indent>\s*)0x[0-9a-f]+ .*?: \((?:"(?P<instance>[^"]*)" '
                       r'"(?P<cls>[^"]*)")?\)\s+(?P<w>\d+)x(?P<h>\d+)[+-]\d+[+-]\d+\s+'
                       r'\+(?P<x>-?\d+)\+(?P<y>-?\d+)')
ICON = 16


def docked_windows(tree_text, panel_class="trayer"):
    """(x, y, width, height) of Wine's windows (those of explorer.exe, which draws tray icons)
    inside the panel's window tree, once the panel has placed them on the screen."""
    found = []
    panel_indent = None
    for line in tree_text.splitlines():
        m = TREE_LINE.match(line)
        if m is None:
            continue
        indent = len(m["indent"])
        if panel_indent is not None and indent <= panel_indent:
            panel_indent = None
        if panel_indent is None:
            if m["cls"] == panel_class:
                panel_indent = indent
            continue
        if m["cls"] == "explorer.exe" and int(m["x"]) >= 0 and int(m["y"]) >= 0:
            found.append((int(m["x"]), int(m["y"]), int(m["w"]), int(m["h"])))
    return found


class DesktopSession(ui_session.UiSession):
    """panel: a panel tray runs before Dustvale starts. launch_args: the launcher's options.
    wine_desktop: the launcher is expected to show Dustvale in a Wine desktop window.
    start_program: False sets everything up and starts nothing (for the log-in entry)."""

    APP_FOLDER = "Dustvale"

    def __init__(self, name, panel=True, launch_args=(), wine_desktop=False, **kw):
        super().__init__(name, os.environ["DUSTVALE_EXE"], os.environ["DUSTVALE_WINDOW_TREE_EXE"],
                         os.environ["DUSTVALE_E2E_TEMPLATE"], os.environ["DUSTVALE_E2E_ARTIFACTS"],
                         **kw)
        # Without a Wine desktop, Wine's windows live on the window station's default desktop.
        self.DESKTOP_NAME = windows.DESKTOP_NAME if wine_desktop else "Default"
        self.panel = panel
        self.launch_args = list(launch_args)
        self.trayer = None

    def prefix_path(self):
        return os.path.join(self.data_home, "dustvale", "wineprefix-x64")

    def launch(self):
        # As scripts/run.sh leaves a prefix it has made.
        open(os.path.join(self.prefix, ".dustvale-ready"), "w").close()
        if self.panel:
            # Not one of the prefix's processes: it ends with the X server.
            panel_env = {k: v for k, v in self.env.items() if k != "WINEPREFIX"}
            self.trayer = subprocess.Popen(TRAYER, env=panel_env, stdin=subprocess.DEVNULL,
                                           stdout=self.log, stderr=subprocess.STDOUT)
            harness.wait_until("the panel tray (trayer) to own the tray selection",
                               lambda: self.tray_owner() is not None, 15)
        if not self.start_program:
            return None
        return self.start_launcher(*self.launch_args)

    def start_launcher(self, *args, command=(LAUNCH,)):
        """Runs the launcher (or another command that starts Dustvale) in the background; what
        it says goes to launch.log."""
        self.launch_log = os.path.join(self.artifacts, "launch.log")
        out = open(self.launch_log, "ab")
        try:
            return subprocess.Popen([*command, *args], env=self.env, stdin=subprocess.DEVNULL,
                                    stdout=out, stderr=subprocess.STDOUT, start_new_session=True)
        finally:
            out.close()

    def launcher_said(self):
        with open(self.launch_log, encoding="utf-8", errors="replace") as f:
            return f.read()

    def __exit__(self, kind, value, tb):
        try:
            return super().__exit__(kind, value, tb)
        finally:
            if self.trayer is not None:
                self.trayer.kill()
                self.trayer.wait(timeout=10)

    def tray_owner(self):
        done = subprocess.run([os.path.join(REPO, "scripts", "system_tray.py"), "owner"],
                              env=self.env, capture_output=True, text=True, timeout=10)
        return done.stdout.strip() if done.returncode == 0 else None

    # -- the icon docked in the panel

    def docked_icon(self):
        """(x, y, width, height) of Dustvale's icon window in the panel, or None."""
        tree = subprocess.run(["xwininfo", "-root", "-tree"], env=self.env, capture_output=True,
                              text=True, timeout=10, check=True).stdout
        icons = docked_windows(tree)
        if len(icons) > 1:
            raise AssertionError(f"{len(icons)} icons in the panel, one expected: {icons}")
        return icons[0] if icons else None

    def icon_box(self):
        """Where Wine draws the picture: centred in the icon's window."""
        x, y, w, h = harness.wait_until("the icon docked in the panel", self.docked_icon, 30)
        return x + (w - ICON) // 2, y + (h - ICON) // 2, ICON, ICON

    def tray_icon(self, shot=None):
        return self.pixels(self.icon_box(), shot)

    def taskbar_colour(self):
        """The panel's colour, which the icon's window shows around the picture."""
        x, y, _, _ = self.docked_icon()
        return self.pixels((x, y, 1, 1))[0]

    def tray_shows_icon(self):
        return self.docked_icon() is not None

    def tray_icon_centre(self):
        x, y, w, h = self.icon_box()
        return x + w // 2, y + h // 2

