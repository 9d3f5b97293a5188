"""End-to-end: the first start's manifest and the Options dialog of the real Dustvale.exe under
Wine: the files beside the executable, the registry's Run value, the dialog's layout at 100 %
and 150 % scaling.

Run one case: DUSTVALE_EXE=... DUSTVALE_WINDOW_TREE_EXE=... DUSTVALE_E2E_TEMPLATE=... \
    DUSTVALE_E2E_ARTIFACTS=... /usr/bin/python3 -m unittest \
    test_options.OptionsTest.test_dialog_at_150_percent
"""

import os
import subprocess
import time
import unittest

import harness
import ui_session
import windows
from ui_session import twips

SETTLE_TIMEOUT = 5.0
MANIFEST = "Dustvale.exe.manifest"
SETTINGS = "AutoClean.cfg"
CLIPBOARD = "Clipboard.exe"
AUTO_EMPTY_CAPTION = "Empty Recycle Bin if there are more than" + " " * 14 + "files(s)."
AUTOSTART_CAPTION = "Auto Start with Windows."
# Wine keeps a file's DOS attributes in this extended attribute, as hexadecimal text.
DOS_ATTRIBUTES = "user.DOSATTRIB"


def caption_ink(s, rect):
    """Per row of the screen's rectangle, the columns (from its left) holding text ink: near
    black, where the check glyph and the box's border are grey."""
    left, top, right, bottom = rect
    width = right - left
    pixels = s.pixels((left, top, width, bottom - top))
    return [{x for x in range(width) if max(pixels[y * width + x]) < 96}
            for y in range(bottom - top)]


def has_focus_line(rows):
    """Whether a row holds a focus rectangle's dotted line: ink in every other column, longer
    than any run of letters makes."""
    for row in rows:
        run = 0
        for x in sorted(row):
            run = run + 1 if x - 2 in row and x - 1 not in row else 0
            if run >= 12:
                return True
    return False


class Dialog:
    """The Options dialog's window and its controls, found by kind and caption; the text boxes
    in their order (the threshold's, the days', the megabytes')."""

    def __init__(self, window):
        self.window = window
        self.boxes = {c.text: c for c in window.children
                      if c.class_name != "Edit" and c.check is not None}
        self.labels = {c.text: c for c in window.children if c.class_name == "Static"}
        try:
            self.auto_empty_box = self.boxes[AUTO_EMPTY_CAPTION]
            self.autostart_box = self.boxes[AUTOSTART_CAPTION]
            self.close_button = self.boxes["Close"]
            self.threshold_box, self.days_box, self.megabytes_box = \
                [c for c in window.children if c.class_name == "Edit"]
        except (KeyError, ValueError):
            raise AssertionError(f"the Options dialog's controls are not as laid out: "
                                 f"{window.children!r}") from None


class OptionsTest(unittest.TestCase):

    def session(self, **kw):
        return ui_session.of_the_build(self._testMethodName, **kw)

    # -- helpers

    def wait_for_settings(self, s, expected, what):
        harness.wait_until(f"{SETTINGS} to hold {expected!r} ({what})",
                           lambda: s.app_file(SETTINGS) == expected, SETTLE_TIMEOUT, 0.1)

    def open_options(self, s, shot=None):
        s.wait_for_app()
        harness.wait_until("an icon in the tray", s.tray_shows_icon, 30)
        s.choose("Options")
        dialog = Dialog(s.box("Options"))
        if shot is not None:
            s.note(f"screenshot {s.screenshot(shot)}")
        return dialog

    def dialog(self, s):
        return Dialog(s.box("Options"))

    def tick(self, s, box):
        """Clicks the check box's square."""
        s.click((box.rect[0] + s.scaled(7), box.centre[1]))

    def assert_layout(self, s, d):
        """The controls lie where the layout's twips put them at the session's DPI, relative to
        the auto-empty box (the frame's size is Wine's), and the dialog is centred on the
        screen."""
        dpi = s.dpi
        first = d.auto_empty_box.rect
        origin = (first[0] - twips(120, dpi), first[1] - twips(120, dpi))
        for name, control, laid_out in (("auto-empty box", d.auto_empty_box, (120, 120, 4335, 255)),
                                        ("threshold box", d.threshold_box, (3360, 120, 495, 285)),
                                        ("autostart box", d.autostart_box, (120, 600, 4335, 255)),
                                        ("days box", d.days_box, (3360, 1080, 615, 285)),
                                        ("megabytes box", d.megabytes_box, (3360, 1560, 855, 285)),
                                        ("close button", d.close_button, (3840, 2880, 1215, 495))):
            left, top, width, height = (twips(v, dpi) for v in laid_out)
            with self.subTest(control=name, dpi=dpi):
                self.assertEqual(control.rect, (origin[0] + left, origin[1] + top,
                                                origin[0] + left + width, origin[1] + top + height))
        left, top, right, bottom = d.window.rect
        self.assertLessEqual(abs((left + right) / 2 - harness.DESKTOP[0] / 2), 1, d.window)
        self.assertLessEqual(abs((top + bottom) / 2 - harness.DESKTOP[1] / 2), 1, d.window)

    def assert_caption_reads_around(self, s, d, clear_after=True):
        """The auto-empty box's caption as a person sees it: words on both sides of the threshold
        box, none touching it (those after it only if clear_after), and nothing cut off at its
        own right edge. The focus moves on first, so that no focus rectangle is drawn around the
        caption."""
        focus_gone = lambda: not has_focus_line(  # noqa: E731
            caption_ink(s, d.auto_empty_box.rect))
        s.keys("Tab")
        try:
            harness.wait_until("the auto-empty box's focus rectangle to go", focus_gone, 2.5)
        except harness.WaitFailed:
            # On a loaded machine Wine can drop a key that comes the moment the dialog shows;
            # one more Tab moves the focus on just the same (the checks below click).
            s.note("the Tab key went unseen; pressing it once more")
            s.keys("Tab")
            harness.wait_until("the auto-empty box's focus rectangle to go", focus_gone,
                               SETTLE_TIMEOUT)
        s.note(f"screenshot {s.screenshot(f'caption-{s.dpi}-dpi')}")
        left, top, right, bottom = d.auto_empty_box.rect
        rows = caption_ink(s, d.auto_empty_box.rect)
        ink = {x for row in rows for x in row}
        box_left, box_right = d.threshold_box.rect[0] - left, d.threshold_box.rect[2] - left
        with self.subTest(dpi=s.dpi, columns=sorted(ink)):
            self.assertTrue(any(x < box_left for x in ink), "no words before the box")
            self.assertNotIn(box_left - 1, ink, "a word touches the box's left edge")
            if clear_after:
                self.assertNotIn(box_right, ink, "a word touches the box's right edge")
            after = sorted(x for x in ink if x > box_right)
            self.assertTrue(after, "no words after the box")
            # The caption ends in its full stop: a last blob of ink that lies low, where a cut
            # caption ends in part of a letter that reaches higher.
            last_blob = set(range(max(x for x in after if x - 1 not in ink), after[-1] + 1))
            word_rows = [y for y, row in enumerate(rows) if row & set(after)]
            stop_rows = [y for y, row in enumerate(rows) if row & last_blob]
            self.assertGreater(stop_rows[0], (word_rows[0] + word_rows[-1]) / 2,
                               "the caption does not end in its full stop")
            self.assertNotIn(right - left - 1, ink, "the caption is cut at the box's edge")

    # -- the cases

    def test_first_start_writes_the_manifest_and_shows_the_icon_at_once(self):
        # The manifest built into the executable already brings the visual styles: the file
        # beside it is written all the same, and no restart is asked for.
        with self.session(manifest=False) as s:
            s.wait_for_app()
            harness.wait_until("an icon in the tray at the first start", s.tray_shows_icon, 30)
            harness.holds_for("the first start running without a box",
                              lambda: s.is_running() and not s.shown(windows.DIALOG_CLASS),
                              2.0, 0.5)
            s.note(f"screenshot {s.screenshot('first-start')}")

            path = os.path.join(s.app_dir, MANIFEST)
            # It names the executable's own architecture: "amd64" or "X86".
            written = harness.manifest_text("Dustvale", harness.architecture(s.exe))
            self.assertEqual(s.app_file(MANIFEST), written)
            # Hidden alone, as the program set it. Wine adds the archive flag to every file it
            # reports, so the stored attributes are read as well as what Windows programs see.
            self.assertEqual(int(os.getxattr(path, DOS_ATTRIBUTES).rstrip(b"\0"), 16), 0x2)
            shown = s.wine("attrib", f"C:\\app\\{MANIFEST}", check=True).stdout.decode()
            self.assertEqual(set(shown.split("C:\\")[0].split()) - {"A"}, {"H"}, shown)

            # The menu answers: the program runs, it did not just leave its icon behind.
            s.choose("About")
            about = s.box("About Dustvale")
            s.click(about.button("OK").centre)
            s.wait_for_no_window("the About box to close", windows.DIALOG_CLASS, "About Dustvale")
            self.assertTrue(s.is_running())

    def test_threshold_and_autostart_stored(self):
        with self.session(manifest=True) as s:
            d = self.open_options(s, "options-96-dpi")
            self.assert_layout(s, d)
            self.assert_caption_reads_around(s, d)
            # No settings file: auto-empty is off, the box shows the layout's "15", greyed.
            self.assertEqual((d.auto_empty_box.check, d.autostart_box.check), (0, 0))
            self.assertEqual((d.threshold_box.text, d.threshold_box.enabled), ("15", False))
            self.assertIsNone(s.app_file(SETTINGS))

            self.tick(s, d.auto_empty_box)
            self.wait_for_settings(s, b"15\r\n", "auto-empty ticked")
            d = self.dialog(s)
            self.assertEqual((d.auto_empty_box.check, d.threshold_box.enabled), (1, True))

            # A new threshold typed into the box reaches the file only at Close.
            s.click(d.threshold_box.centre)
            s.keys("End", "BackSpace", "BackSpace", "BackSpace")
            s.type_text("7")
            harness.wait_until("the typed threshold in the box",
                               lambda: self.dialog(s).threshold_box.text == "7", SETTLE_TIMEOUT)
            s.screenshot("threshold-typed")
            self.assertEqual(s.app_file(SETTINGS), b"15\r\n")
            s.click(self.dialog(s).close_button.centre)
            s.wait_for_no_window("the dialog to close", windows.DIALOG_CLASS, "Options")
            self.wait_for_settings(s, b"7\r\n", "Close")

            # Opened again, the dialog shows what it stored, and stores the same once more
            # while loading: looking at it switches nothing off.
            d = self.open_options(s)
            self.assertEqual((d.auto_empty_box.check, d.threshold_box.text,
                              d.threshold_box.enabled), (1, "7", True))
            self.assertEqual(s.app_file(SETTINGS), b"7\r\n")
            self.assertIsNone(s.run_value())
            self.tick(s, d.autostart_box)
            harness.wait_until("the Run value", s.run_value, SETTLE_TIMEOUT, 0.3)
            # Quoted, so a folder with blanks cannot start another program.
            self.assertEqual(s.run_value(), '"C:\\app\\Dustvale.exe"')
            s.note(f"screenshot {s.screenshot('autostart-ticked')}")
            self.tick(s, self.dialog(s).autostart_box)
            harness.wait_until("the Run value to go", lambda: s.run_value() is None,
                               SETTLE_TIMEOUT, 0.3)
            self.assertEqual(self.dialog(s).autostart_box.check, 0)
            # Esc closes without storing: the file keeps the threshold.
            s.keys("Escape")
            s.wait_for_no_window("the dialog to close on Esc", windows.DIALOG_CLASS, "Options")
            self.assertEqual(s.app_file(SETTINGS), b"7\r\n")
            self.assertTrue(s.is_running())

    def test_threshold_stored_from_the_dialog_empties_without_a_restart(self):
        with self.session(manifest=True) as s:
            d = self.open_options(s)
            self.tick(s, d.auto_empty_box)
            self.wait_for_settings(s, b"15\r\n", "auto-empty ticked")
            # The box takes digits alone: the letter l typed for a 1 is refused.
            s.click(self.dialog(s).threshold_box.centre)
            s.keys("End", "BackSpace", "BackSpace")
            s.type_text("l2")
            harness.wait_until("the threshold 2 in the box",
                               lambda: self.dialog(s).threshold_box.text == "2", SETTLE_TIMEOUT)
            s.screenshot("threshold-2")
            s.click(self.dialog(s).close_button.centre)
            s.wait_for_no_window("the dialog to close", windows.DIALOG_CLASS, "Options")
            self.wait_for_settings(s, b"2\r\n", "Close")

            s.trash("one.txt")
            harness.holds_for("one trashed file staying", lambda: s.trashed() == ["one.txt"],
                              2.0)
            s.trash("two.txt")
            started = time.monotonic()
            harness.wait_until("the Trash emptied at the second file, without a restart",
                               lambda: not s.trashed(), SETTLE_TIMEOUT, 0.1)
            s.note(f"Trash emptied {time.monotonic() - started:.2f} s after the second file")
            self.assertTrue(s.is_running())

    def with_clipboard(self):
        with open(os.environ["DUSTVALE_CLIPBOARD_EXE"], "rb") as f:
            return {CLIPBOARD: f.read()}

    def copy(self, s, text):
        """Puts the text on the clipboard, as a Copy in another program would."""
        done = subprocess.run(
            s.program(os.environ["DUSTVALE_CLIPBOARD_EXE"], f"C:\\app\\{CLIPBOARD}", text),
            env=s.env, capture_output=True, timeout=30, stdin=subprocess.DEVNULL)
        self.assertEqual(done.returncode, 0, done.stderr.decode(errors="replace"))

    def threshold_text(self, s):
        return self.dialog(s).threshold_box.text

    def test_ticking_with_a_full_trash_empties_nothing_before_the_threshold_is_chosen(self):
        with self.session(manifest=True) as s:
            s.trash_many(20)
            d = self.open_options(s)
            self.tick(s, d.auto_empty_box)
            self.wait_for_settings(s, b"15\r\n", "auto-empty ticked")
            harness.holds_for("the Trash keeping its 20 files while the threshold is typed",
                              lambda: len(s.trashed()) == 20, 3.0)
            s.click(self.dialog(s).threshold_box.centre)
            s.keys("End", "BackSpace", "BackSpace")
            s.type_text("500")
            harness.wait_until("500 in the box", lambda: self.threshold_text(s) == "500",
                               SETTLE_TIMEOUT)
            s.click(self.dialog(s).close_button.centre)
            s.wait_for_no_window("the dialog to close", windows.DIALOG_CLASS, "Options")
            self.wait_for_settings(s, b"500\r\n", "Close")
            harness.holds_for("the Trash keeping its 20 files after Close",
                              lambda: len(s.trashed()) == 20, 3.0)
            self.assertTrue(s.is_running())

    def test_pasted_threshold_taken_only_as_digits(self):
        with self.session(manifest=True, beside=self.with_clipboard()) as s:
            s.trash_many(5)
            d = self.open_options(s)
            self.tick(s, d.auto_empty_box)
            self.wait_for_settings(s, b"15\r\n", "auto-empty ticked")
            s.click(self.dialog(s).threshold_box.centre)
            # Ctrl+V and Shift+Insert, each over the whole text: refused unless digits alone.
            for text, keys in (("1,000", "ctrl+v"), ("-1", "shift+Insert"), ("0x10", "ctrl+v")):
                self.copy(s, text)
                s.keys("ctrl+a", keys)
                harness.holds_for(f"the box refusing the pasted {text!r}",
                                  lambda: self.threshold_text(s) == "15", 1.0)
            self.copy(s, "250")
            s.keys("ctrl+a", "ctrl+v")
            harness.wait_until("the pasted 250 in the box",
                               lambda: self.threshold_text(s) == "250", SETTLE_TIMEOUT)
            s.note(f"screenshot {s.screenshot('pasted-250')}")
            s.click(self.dialog(s).close_button.centre)
            s.wait_for_no_window("the dialog to close", windows.DIALOG_CLASS, "Options")
            self.wait_for_settings(s, b"250\r\n", "Close")
            harness.holds_for("the Trash keeping its 5 files", lambda: len(s.trashed()) == 5,
                              3.0)

    def test_settings_file_without_end_keeps_the_menu_and_memory_small(self):
        # A link to a device that never ends, and a file of 8 GiB (sparse: it costs no disk).
        def endless(s):
            os.symlink("/dev/zero", os.path.join(s.app_dir, SETTINGS))

        def huge(s):
            with open(os.path.join(s.app_dir, SETTINGS), "wb") as f:
                f.write(b"3")
                f.truncate(8 << 30)

        for what, lay_out in (("endless", endless), ("huge", huge)):
            with self.subTest(what), self.session(manifest=True, before_start=lay_out) as s:
                (pid,) = s.wait_for_app()
                harness.wait_until("an icon in the tray", s.tray_shows_icon, 30)
                s.trash_many(3)
                s.open_menu()
                s.note(f"screenshot {s.screenshot(f'menu-{what}')}")
                s.close_menu()
                # The first line holds NULs after the digits: no threshold.
                harness.holds_for("the Trash keeping its 3 files",
                                  lambda: len(s.trashed()) == 3, 2.0)
                with open(f"/proc/{pid}/status") as f:
                    status = dict(line.split(":", 1) for line in f if ":" in line)
                resident_kb = int(status["VmRSS"].split()[0])
                s.note(f"{what}: resident memory {resident_kb} kB")
                self.assertLess(resident_kb, 200 * 1024)

    def test_dialog_at_150_percent(self):
        with self.session(manifest=True, dpi=144) as s:
            d = self.open_options(s, "options-144-dpi")
            self.assert_layout(s, d)
            # Wine's dialog font at 150 % leaves "files" against the box's right edge: no size
            # or placement of it keeps the words on both sides clear, the blanks are a pixel or
            # two short.
            self.assert_caption_reads_around(s, d, clear_after=False)
            # The mouse finds the controls where they show.
            self.tick(s, d.auto_empty_box)
            self.wait_for_settings(s, b"15\r\n", "auto-empty ticked")
            s.screenshot("options-144-dpi-ticked")
            s.click(self.dialog(s).close_button.centre)
            s.wait_for_no_window("the dialog to close", windows.DIALOG_CLASS, "Options")
            self.assertEqual(s.app_file(SETTINGS), b"15\r\n")


if __name__ == "__main__":
    unittest.main()
