"""End-to-end: the Options dialog's settings of automatic removal, the question before Empty and
the balloon after a removal, set from the keyboard alone in the real Dustvale.exe under Wine:
what reaches Dustvale.ini, and AutoClean.cfg left byte for byte as it was.

Run one case: DUSTVALE_EXE=... DUSTVALE_WINDOW_TREE_EXE=... DUSTVALE_E2E_TEMPLATE=... \
    DUSTVALE_E2E_ARTIFACTS=... /usr/bin/python3 -m unittest \
    test_removal_options.RemovalOptionsTest.test_rules_set_with_the_keyboard_reach_the_ini_file
"""

import time
import unittest

import harness
import ui_session
import windows
from test_options import SETTINGS, Dialog

SETTLE_TIMEOUT = 5.0
INI = "Dustvale.ini"
# "500" saved by another editor in UTF-16 with a byte-order mark: any rewrite would change it.
AUTO_CLEAN = b"\xff\xfe5\x000\x000\x00\r\x00\n\x00"
OLD_ITEMS = "Empty items &deleted more than"
SIZE_LIMIT = "&Keep the Recycle Bin under"
ASK = "&Ask before emptying the Recycle Bin"
TELL = "&Tell me when items are removed automatically"


class RemovalOptionsTest(unittest.TestCase):

    def session(self, **kw):
        return ui_session.of_the_build(self._testMethodName, **kw)

    def ini_lines(self, s):
        return (s.app_file(INI) or b"").decode().splitlines()

    def wait_for_ini(self, s, line, what):
        harness.wait_until(f"{INI} to hold {line!r} ({what})",
                           lambda: line in self.ini_lines(s), SETTLE_TIMEOUT, 0.1)

    def dialog(self, s):
        return Dialog(s.box("Options"))

    def test_rules_set_with_the_keyboard_reach_the_ini_file(self):
        with self.session(manifest=True, beside={SETTINGS: AUTO_CLEAN}) as s:
            s.wait_for_app()
            harness.wait_until("an icon in the tray", s.tray_shows_icon, 30)
            s.choose("Options")
            d = self.dialog(s)
            # Nothing stored yet: every rule off, its number greyed at the first-time value.
            self.assertEqual([d.boxes[c].check for c in (OLD_ITEMS, SIZE_LIMIT, ASK, TELL)],
                             [0, 0, 0, 0])
            self.assertEqual((d.days_box.text, d.days_box.enabled), ("30", False))
            self.assertEqual((d.megabytes_box.text, d.megabytes_box.enabled), ("1024", False))
            self.assertFalse(d.labels["days ago"].enabled)
            self.assertFalse(d.labels["MB"].enabled)
            self.assertIsNone(s.app_file(INI), "opening writes nothing")
            # Wine can drop a key that comes the moment the dialog shows.
            time.sleep(1.0)

            # Alt and the underlined letter tick a rule, which is stored at once; Tab moves on
            # to its number, selected, so that typing replaces it.
            s.keys("alt+d")
            self.wait_for_ini(s, "EmptyOldItems=on", "Alt+D")
            self.assertTrue(self.dialog(s).days_box.enabled)
            s.keys("Tab")
            s.type_text("45")
            s.keys("alt+k")
            self.wait_for_ini(s, "KeepBinUnderSize=on", "Alt+K")
            s.keys("Tab")
            s.type_text("2048")
            s.keys("alt+a", "alt+t")
            self.wait_for_ini(s, "TellAutomaticRemovals=on", "Alt+T")
            d = self.dialog(s)
            self.assertEqual((d.days_box.text, d.megabytes_box.text), ("45", "2048"))
            self.assertTrue(d.labels["MB"].enabled)
            self.assertIn("EmptyOldItemsDays=30", self.ini_lines(s),
                          "a number is stored by Close, once typed in full")
            s.note(f"screenshot {s.screenshot('removal-options-96-dpi')}")

            # Enter presses Close.
            s.keys("Return")
            s.wait_for_no_window("the dialog to close", windows.DIALOG_CLASS, "Options")
            harness.wait_until(f"{INI} to hold the typed numbers",
                               lambda: "BinSizeLimitMB=2048" in self.ini_lines(s),
                               SETTLE_TIMEOUT, 0.1)
            self.assertEqual(s.app_file(INI),
                             b"EmptyOldItems=on\r\nEmptyOldItemsDays=45\r\n"
                             b"KeepBinUnderSize=on\r\nBinSizeLimitMB=2048\r\n"
                             b"AskBeforeEmptying=on\r\nTellAutomaticRemovals=on\r\n")
            self.assertEqual(s.app_file(SETTINGS), AUTO_CLEAN)
            self.assertTrue(s.is_running())


if __name__ == "__main__":
    unittest.main()
