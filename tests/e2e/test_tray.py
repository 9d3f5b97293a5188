"""End-to-end: the real Dustvale.exe under Wine, watched through the tray icon's pixels and the
Trash folder.

Run one case: DUSTVALE_EXE=... DUSTVALE_E2E_TEMPLATE=... DUSTVALE_E2E_ARTIFACTS=... \
    /usr/bin/python3 -m unittest test_tray.TrayTest.test_icon_follows_trash
"""

import os
import struct
import time
import unittest

import harness

RED = (255, 0, 0)
BLUE = (0, 0, 255)
# The tray shows a change at the program's next one-second tick; allow for a slow machine.
FOLLOW_TIMEOUT = 3.0
# Mean difference per colour channel between a tray icon and a picture drawn over the taskbar;
# Wine blends the icon's edges a little differently, another picture differs by far more.
PICTURE_TOLERANCE = 12


class TrayTest(unittest.TestCase):

    def session(self, name=None, **kw):
        # A later start: the manifest written by the first start lies beside the executable.
        return harness.Session(name or self._testMethodName, os.environ["DUSTVALE_EXE"],
                               os.environ["DUSTVALE_E2E_TEMPLATE"],
                               os.environ["DUSTVALE_E2E_ARTIFACTS"], manifest=True, **kw)

    def wait_for_tray_colour(self, s, colour, timeout, what):
        started = time.monotonic()
        harness.wait_until(what, lambda: harness.share_of(s.tray_icon(), colour) >= 0.9, timeout)
        return time.monotonic() - started

    def wait_for_tray_icon(self, s):
        """Waits until something other than the plain taskbar shows where the first icon goes."""
        harness.wait_until("an icon in the tray", s.tray_shows_icon, 30)

    def test_icon_appears_in_tray(self):
        with self.session() as s:
            s.wait_for_app()
            self.wait_for_tray_icon(s)
            background = s.taskbar_colour()
            full, empty = (harness.composite(harness.built_in_picture(name), background)
                           for name in ("tray_full.ico", "tray_empty.ico"))
            first = s.tray_icon(s.screenshot("first-icon"))
            self.assertLess(min(harness.difference(first, full), harness.difference(first, empty)),
                            PICTURE_TOLERANCE, "the tray icon is not one of Dustvale's pictures")
            # The Trash is empty: from the first tick on, the tray shows the built-in empty bin.
            harness.wait_until(
                "the built-in empty bin in the tray",
                lambda: harness.difference(s.tray_icon(), empty) < PICTURE_TOLERANCE,
                FOLLOW_TIMEOUT)
            s.note(f"screenshot {s.screenshot('empty-bin')}")
            self.assertTrue(s.is_running())

    def test_icon_at_150_percent_is_the_24_pixel_picture(self):
        # At 144 DPI the tray shows 24-pixel icons: the program hands it its 24-pixel drawing,
        # with lines of its own width, rather than a 16-pixel one the shell would stretch.
        with self.session(dpi=144) as s:
            s.wait_for_app()
            self.wait_for_tray_icon(s)
            background = s.taskbar_colour()
            drawn = harness.composite(harness.built_in_picture("tray_empty.ico", 24), background)
            stretched = harness.composite(
                harness.stretched(harness.built_in_picture("tray_empty.ico", 16), 16, 24),
                background)
            harness.wait_until(
                "the built-in empty bin of 24 pixels in the tray",
                lambda: harness.difference(s.tray_icon(), drawn) < PICTURE_TOLERANCE,
                FOLLOW_TIMEOUT)
            shown = s.tray_icon(s.screenshot("empty-bin-144-dpi"))
            s.note(f"difference to the 24-pixel drawing {harness.difference(shown, drawn):.1f}, "
                   f"to the 16-pixel one stretched {harness.difference(shown, stretched):.1f}")
            self.assertLess(2 * harness.difference(shown, drawn),
                            harness.difference(shown, stretched))
            self.assertTrue(s.is_running())

    def test_undecodable_icon_file_keeps_built_in_picture(self):
        beside = {"empty.ico": b"this is not an icon\r\n"}
        with self.session(beside=beside) as s:
            s.wait_for_app()
            self.wait_for_tray_icon(s)
            empty = harness.composite(harness.built_in_picture("tray_empty.ico"),
                                      s.taskbar_colour())
            harness.wait_until(
                "the built-in empty bin in the tray",
                lambda: harness.difference(s.tray_icon(), empty) < PICTURE_TOLERANCE,
                FOLLOW_TIMEOUT)
            s.screenshot("built-in-empty-bin")
            self.assertTrue(s.is_running())

    def test_crafted_icon_file_keeps_built_in_picture(self):
        # 162 bytes whose one image claims 0x7fffffff by -0x7fffffff pixels: handed to the
        # system's decoder, it read far past the file and ended the program at every start.
        crafted = (struct.pack("<HHH", 0, 1, 1)
                   + struct.pack("<BBBBHHII", 16, 16, 0, 0, 1, 32, 140, 22)
                   + struct.pack("<IiiHHIIiiII", 40, 0x7fffffff, -0x7fffffff, 1, 32, 0, 0, 0, 0, 0, 0)
                   + b"\0" * 100)
        with self.session(beside={"full.ico": crafted, "empty.ico": crafted}) as s:
            s.wait_for_app()
            self.wait_for_tray_icon(s)
            background = s.taskbar_colour()
            full, empty = (harness.composite(harness.built_in_picture(name), background)
                           for name in ("tray_full.ico", "tray_empty.ico"))

            def shows(picture, other):
                shown = s.tray_icon()
                return (harness.difference(shown, picture) < PICTURE_TOLERANCE
                        and harness.difference(shown, picture) < harness.difference(shown, other))

            harness.wait_until("the built-in empty bin in the tray", lambda: shows(empty, full),
                               FOLLOW_TIMEOUT)
            s.screenshot("built-in-empty-bin")
            s.trash("letter.txt")
            harness.wait_until("the built-in full bin after a file was trashed",
                               lambda: shows(full, empty), FOLLOW_TIMEOUT)
            s.screenshot("built-in-full-bin")
            self.assertTrue(s.is_running())

    def test_icon_follows_trash(self):
        beside = {"full.ico": harness.solid_icon(RED), "empty.ico": harness.solid_icon(BLUE)}
        with self.session(beside=beside) as s:
            s.wait_for_app()
            self.wait_for_tray_colour(s, BLUE, 30, "the empty picture (blue) in the tray")
            s.screenshot("empty")
            s.trash("letter.txt")
            took = self.wait_for_tray_colour(s, RED, FOLLOW_TIMEOUT,
                                             "the full picture (red) after trashing a file")
            s.note(f"full picture {took:.2f} s after a file was trashed")
            s.screenshot("full")
            s.empty_trash_by_hand()
            took = self.wait_for_tray_colour(s, BLUE, FOLLOW_TIMEOUT,
                                             "the empty picture (blue) after the Trash emptied")
            s.note(f"empty picture {took:.2f} s after the Trash was emptied")
            s.screenshot("empty-again")
            self.assertTrue(s.is_running())

    def test_auto_empty_at_threshold(self):
        with self.session(beside={"AutoClean.cfg": b"3\r\n"}) as s:
            s.wait_for_app()
            self.wait_for_tray_icon(s)
            s.trash("one.txt")
            s.trash("two.txt")
            harness.holds_for("two trashed files staying in the Trash",
                              lambda: s.trashed() == ["one.txt", "two.txt"], 3.0)
            s.screenshot("two-stay")
            s.trash("three.txt")
            started = time.monotonic()
            harness.wait_until("the Trash to be emptied at the third file",
                               lambda: not s.trashed(), FOLLOW_TIMEOUT, 0.1)
            s.note(f"Trash emptied {time.monotonic() - started:.2f} s after the third file")
            s.screenshot("emptied")
            self.assertTrue(s.is_running())

    def test_auto_empty_at_threshold_saved_with_byte_order_mark(self):
        # "15" as editors save it; read as a threshold of 0, the Trash went at every tick.
        saved = {"utf8": b"\xef\xbb\xbf15\r\n", "utf16": "\ufeff15\r\n".encode("utf-16-le")}
        names = [f"file{n:02}.txt" for n in range(1, 15)]
        for encoding, contents in saved.items():
            with self.subTest(encoding), self.session(
                    name=f"{self._testMethodName}-{encoding}",
                    beside={"AutoClean.cfg": contents},
                    before_start=lambda s: [s.trash(name) for name in names]) as s:
                s.wait_for_app()
                self.wait_for_tray_icon(s)
                harness.holds_for("14 trashed files staying in the Trash",
                                  lambda: s.trashed() == names, 3.0)
                s.trash("file15.txt")
                harness.wait_until("the Trash to be emptied at the 15th file",
                                   lambda: not s.trashed(), FOLLOW_TIMEOUT, 0.1)
                s.screenshot("emptied")
                self.assertTrue(s.is_running())

    def test_never_empties_without_a_threshold(self):
        # No settings file; a threshold that holds no number, as a hand-edited file may.
        for label, beside in (("no-file", {}), ("abc", {"AutoClean.cfg": b"abc\r\n"})):
            with self.subTest(label), self.session(name=f"{self._testMethodName}-{label}",
                                                    beside=beside) as s:
                s.wait_for_app()
                self.wait_for_tray_icon(s)
                names = [f"file{n}.txt" for n in range(1, 6)]
                for name in names:
                    s.trash(name)
                harness.holds_for("every trashed file staying in the Trash",
                                  lambda: s.trashed() == names, 4.0)
                s.screenshot("all-stay")
                self.assertTrue(s.is_running())


if __name__ == "__main__":
    unittest.main()
