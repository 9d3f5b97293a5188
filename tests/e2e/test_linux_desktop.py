"""End-to-end: Dustvale on a Linux desktop, as scripts/run.sh sets it up and its launcher starts
it: docked into a panel's tray (trayer on the virtual X server), in a Wine desktop window where no
panel has a tray, and at log-in through the XDG autostart entry that scripts/install.sh writes.
The scripts' own reading of Wine's registry file and the menu's icons are checked without Wine.

Run one case: DUSTVALE_EXE=... DUSTVALE_WINDOW_TREE_EXE=... DUSTVALE_E2E_TEMPLATE=... \
    DUSTVALE_E2E_ARTIFACTS=... /usr/bin/python3 -m unittest \
    test_linux_desktop.PanelTrayTest.test_icon_docks_and_its_menu_empties_the_trash
"""

import os
import subprocess
import sys
import time
import unittest

import desktop_session
import harness
import windows
from desktop_session import DesktopSession, REPO

sys.path.insert(0, os.path.join(REPO, "scripts"))
import run_value  # noqa: E402

SETTLE_TIMEOUT = 5.0
PICTURE_TOLERANCE = 12
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
ICON_SIZES = (16, 32, 48)


def wait_for_picture(s, name, what, timeout=SETTLE_TIMEOUT):
    picture = harness.composite(harness.built_in_picture(name), s.taskbar_colour())
    harness.wait_until(what, lambda: harness.difference(s.tray_icon(), picture)
                       < PICTURE_TOLERANCE, timeout)


def answer_restart_if_asked(s, timeout=30):
    """A first start writes its manifest and may ask, in a box, to be restarted. Clicks the box's
    OK when it shows, until the icon has docked; returns whether it was asked."""
    harness.wait_until("the first start to write its manifest",
                       lambda: os.path.exists(os.path.join(s.app_dir, "Dustvale.exe.manifest")),
                       timeout)
    asked = False

    def docked_or_answered():
        nonlocal asked
        if s.docked_icon() is not None:
            return True
        boxes = s.shown(windows.DIALOG_CLASS)
        if boxes:
            s.click(boxes[0].button("OK").centre)
            asked = True
        return False

    harness.wait_until("the icon to dock after the first start", docked_or_answered, timeout, 0.5)
    return asked


def desktop_entry_command(path):
    """The command line of a desktop entry's Exec key, read as freedesktop.org's desktop entry
    format says: the string type's escapes first, then the quoting of arguments, then %% as %."""
    with open(path, encoding="utf-8") as f:
        value = next(line[len("Exec="):].rstrip("\n") for line in f if line.startswith("Exec="))
    unescaped, i = "", 0
    while i < len(value):
        if value[i] == "\\" and i + 1 < len(value):
            unescaped += {"s": " ", "n": "\n", "t": "\t", "r": "\r", "\\": "\\"}.get(
                value[i + 1], "\\" + value[i + 1])
            i += 2
        else:
            unescaped += value[i]
            i += 1
    args, current, quoted, started, i = [], "", False, False, 0
    while i < len(unescaped):
        c = unescaped[i]
        if quoted and c == "\\" and i + 1 < len(unescaped) and unescaped[i + 1] in '"`$\\':
            current += unescaped[i + 1]
            i += 1
        elif c == '"':
            quoted, started = not quoted, True
        elif c == " " and not quoted:
            if started or current:
                args.append(current)
            current, started = "", False
        else:
            current += c
        i += 1
    if quoted:
        raise AssertionError(f"unterminated quote in Exec={value}")
    if started or current:
        args.append(current)
    return [a.replace("%%", "%") for a in args]


class PanelTrayTest(unittest.TestCase):

    def test_icon_docks_and_its_menu_empties_the_trash(self):
        # A first start (no manifest yet), as a new user's.
        with DesktopSession(self._testMethodName) as s:
            asked = answer_restart_if_asked(s)
            said = s.launcher_said()
            s.note(f"launcher: {said.strip()}")
            self.assertIn("has a system tray", said)
            self.assertIn("without a Wine desktop", said)
            self.assertFalse(asked, "the built-in manifest gives the visual styles: no restart")
            s.wait_for_app()
            wait_for_picture(s, "tray_empty.ico", "the built-in empty bin docked in the panel")
            s.screenshot("docked")
            s.trash("letter.txt")
            s.trash("photo.jpg", b"\xff\xd8\xff" + bytes(4000))
            wait_for_picture(s, "tray_full.ico", "the full bin after two files were trashed")
            s.choose("Recycle Bin", "Empty", shot="menu-open")
            harness.wait_until("the Trash to be emptied", lambda: not s.trashed(),
                               SETTLE_TIMEOUT, 0.1)
            self.assertEqual(os.listdir(s.trash_info), [], "trash info left behind")
            wait_for_picture(s, "tray_empty.ico", "the empty bin after Empty")
            s.screenshot("emptied")
            self.assertEqual(len(s.app_processes()), 1)

    def test_without_a_tray_dustvale_shows_in_a_wine_desktop(self):
        with DesktopSession(self._testMethodName, panel=False, wine_desktop=True,
                            manifest=True) as s:
            s.wait_for_app()
            said = s.launcher_said()
            self.assertIn("has no system tray", said)
            self.assertIn("in a Wine desktop window", said)
            taskbar = s.wait_for_window("the Wine desktop's taskbar", windows.TASKBAR_CLASS)
            left, top, right, bottom = taskbar.rect
            icon = (right - 18, (top + bottom) // 2 - 8, 16, 16)
            background = s.pixels((right - 100, (top + bottom) // 2, 1, 1))[0]
            harness.wait_until("an icon at the right end of the taskbar",
                               lambda: harness.share_of(s.pixels(icon), background, 8) < 0.9, 30)
            s.screenshot("wine-desktop")


class LoginEntryTest(unittest.TestCase):

    def test_login_entry_starts_dustvale_only_while_start_with_windows_is_on(self):
        settings = b"25\r\n"
        # A blank, a per cent sign and a dollar in the path: the entries quote and escape them.
        with DesktopSession("login entry %$", start_program=False, manifest=True,
                            beside={"AutoClean.cfg": settings}) as s:
            first = self.install(s)
            self.assertEqual(self.install(s), first, "a second install writes the same files")
            entry = os.path.join(s.home, ".config", "autostart", "dustvale.desktop")
            menu = os.path.join(s.data_home, "applications", "dustvale.desktop")
            subprocess.run(["desktop-file-validate", entry, menu], check=True, timeout=30)
            command = desktop_entry_command(entry)
            self.assertEqual(desktop_entry_command(menu) + ["--at-login"], command)

            s.wine("wineserver", "-w", check=True)  # the set-up's Wine tools have ended
            done = subprocess.run(command, env=s.env, capture_output=True, text=True, timeout=30)
            s.note(f"box clear: {done.stdout.strip()}")
            self.assertEqual(done.returncode, 0, done.stderr)
            self.assertIn('"Start with Windows" is off', done.stdout)
            self.assertEqual(harness._wine_processes(s.prefix), [], "a Wine process started")

            # What ticking the box writes (Wine saves its registry once its server ends).
            s.wine("reg", "add", RUN_KEY, "/v", "Dustvale", "/t", "REG_SZ",
                   "/d", '"C:\\Dustvale\\Dustvale.exe"', "/f", check=True)
            s.wine("wineserver", "-w", check=True)
            launcher = s.start_launcher(command=command)
            s.launcher = launcher
            s.wait_for_app()
            harness.wait_until("the icon docked in the panel", s.tray_shows_icon, 30)
            self.assertIn('"Start with Windows" is on', s.launcher_said())
            s.screenshot("started-at-login")

            done = subprocess.run([desktop_session.INSTALL, "--uninstall"], env=s.env,
                                  capture_output=True, text=True, timeout=30, check=True)
            left = [path for path in first if os.path.exists(path)]
            self.assertEqual(left, [], "files the uninstall left")
            self.assertIn("removed " + entry, done.stdout)
            with open(os.path.join(s.app_dir, "AutoClean.cfg"), "rb") as f:
                self.assertEqual(f.read(), settings)
            self.assertTrue(os.path.exists(os.path.join(s.app_dir, "Dustvale.exe")))

    def install(self, s):
        """Runs the install; returns {path: contents} of what it says it wrote."""
        done = subprocess.run([desktop_session.INSTALL], env=s.env, capture_output=True,
                              text=True, timeout=30, check=True)
        written = [line[len("install: wrote "):] for line in done.stdout.splitlines()
                   if line.startswith("install: wrote ")]
        for path in written:
            self.assertTrue(path.startswith((s.home + "/", s.data_home + "/")), path)
        contents = {}
        for path in written:
            with open(path, "rb") as f:
                contents[path] = f.read()
        return contents


class ScriptsTest(unittest.TestCase):
    """What the scripts read and install, without Wine."""

    def test_run_value_read_from_wines_registry_file(self):
        run = "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run] 1700000000\n"
        cases = [
            ("as the box writes it", run + '"Dustvale"="\\"C:\\\\Dustvale\\\\Dustvale.exe\\""\n',
             '"C:\\Dustvale\\Dustvale.exe"'),
            ("names compare without case",
             run.lower() + '"dustVALE"="C:\\\\x.exe"\n', "C:\\x.exe"),
            ("an expandable string, letters outside ASCII",
             run + '"Dustvale"=str(2):"C:\\\\M\\x00fcll\\\\D.exe"\n', "C:\\M\u00fcll\\D.exe"),
            ("another key's value of that name",
             "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\RunOnce] 1\n"
             '"Dustvale"="C:\\\\x.exe"\n\n' + run + '"Other"="y"\n', None),
            ("a value whose name begins alike", run + '"Dustvale2"="y"\n', None),
            ("a value that is no string", run + '"Dustvale"=dword:00000001\n', None),
        ]
        for label, text, expected in cases:
            with self.subTest(label):
                self.assertEqual(run_value.read_string_value(
                    text.splitlines(keepends=True), run_value.RUN_KEY, run_value.VALUE_NAME),
                    expected)

    def test_menu_icons_are_the_programs_own_pictures(self):
        # The PNGs are converted from program.ico; a changed picture needs them made again.
        images = dict(harness.icofile.read(os.path.join(REPO, "res", "program.ico")))
        for size in ICON_SIZES:
            with self.subTest(size=size):
                png = os.path.join(REPO, "res", f"dustvale-{size}.png")
                raw = subprocess.run(["convert", png, "-depth", "8", "rgba:-"], check=True,
                                     capture_output=True, timeout=30).stdout
                pixels = [tuple(raw[i:i + 4]) for i in range(0, len(raw), 4)]
                visible = lambda p: p if p[3] else (0, 0, 0, 0)  # noqa: E731
                self.assertEqual([visible(p) for p in pixels],
                                 [visible(p) for p in images[size]])


if __name__ == "__main__":
    unittest.main()
