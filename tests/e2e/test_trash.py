"""End-to-end: Dustvale.exe empties the freedesktop Trash under Wine itself, trashed folders
included, and never leaves a file without its .trashinfo.

Run one case: DUSTVALE_EXE=... DUSTVALE_WINDOW_TREE_EXE=... DUSTVALE_E2E_TEMPLATE=... \
    DUSTVALE_E2E_ARTIFACTS=... /usr/bin/python3 -m unittest test_trash.TrashTest.test_empty_removes_trashed_folders
"""

import os
import subprocess
import time
import unittest

import harness
import ui_session
import windows

# The program sees the Trash and acts within a second or two; allow for a slow machine.
SETTLE_TIMEOUT = 5.0
OLDDIR = {"a.txt": b"first file\n", "sub/f.txt": b"second file, one folder down\n"}


def trash_folder_and_file(s):
    s.trash_folder("olddir", OLDDIR)
    s.trash("letter.txt")


class TrashTest(unittest.TestCase):

    def session(self, **kw):
        return ui_session.later_start(self._testMethodName, **kw)

    def tooltip(self, s, text):
        """Waits until the icon's tooltip, shown by resting the mouse on the icon, reads text."""
        icon = s.tray_icon_centre()

        def shows():
            s.hover((icon[0] - 3, icon[1]))
            s.hover(icon)
            return [w for w in s.windows() if w.class_name == windows.TOOLTIP_CLASS and w.visible
                    and w.text == text]

        harness.wait_until(f"the tooltip {text!r}", shows, SETTLE_TIMEOUT + 5, 1.0)

    def test_empty_removes_trashed_folders(self):
        with self.session(before_start=trash_folder_and_file) as s:
            s.wait_for_app()
            harness.wait_until("an icon in the tray", s.tray_shows_icon, 30)
            self.tooltip(s, "Dustvale (2 items)")
            s.screenshot("two-items")
            s.choose("Recycle Bin", "Empty", shot="choosing-empty")
            started = time.monotonic()
            harness.wait_until("the Trash to be emptied",
                               lambda: not s.trashed() and not os.listdir(s.trash_info),
                               SETTLE_TIMEOUT, 0.1)
            s.note(f"folder, file and both .trashinfo gone {time.monotonic() - started:.2f} s "
                   "after the click")
            self.assertEqual(sorted(os.listdir(os.path.dirname(s.trash_files))), ["files", "info"])
            self.tooltip(s, "Dustvale")
            s.note(f"screenshot {s.screenshot('emptied')}")
            self.assertTrue(s.is_running())

    def test_write_protected_trash_keeps_every_item_and_auto_empty_waits(self):
        # Auto-empty at the first item. With files/ refusing to let anything go, Wine's own
        # emptying deleted every .trashinfo and kept every file, which no file manager then
        # shows; and the threshold stayed reached, so it was asked again at every tick.
        protected = []

        def protect(s):
            trash_folder_and_file(s)
            os.chmod(s.trash_files, 0o555)
            protected.append(s.trash_files)
            if os.geteuid() == 0:
                # Permissions do not bind root: the folder is made immutable as well.
                subprocess.run(["chattr", "+i", s.trash_files], capture_output=True)

        def unprotect():
            for folder in protected:
                subprocess.run(["chattr", "-i", folder], capture_output=True)
                os.chmod(folder, 0o755)

        with self.session(beside={"AutoClean.cfg": b"1\r\n"}, wine_debug="warn+seh",
                          before_start=protect) as s:
            try:
                s.wait_for_app()
                harness.wait_until("an icon in the tray", s.tray_shows_icon, 30)
                harness.holds_for("every trashed file and .trashinfo staying",
                                  lambda: s.trashed() == ["letter.txt", "olddir"] and sorted(
                                      os.listdir(s.trash_info)) == [
                                      "letter.txt.trashinfo", "olddir.trashinfo"], 6.0)
                self.assertTrue(os.path.exists(os.path.join(s.trash_files, "olddir", "sub",
                                                            "f.txt")))
                self.tooltip(s, "Dustvale (2 items)")
                s.screenshot("kept")
                refusals = [line for line in s.debug_output()
                            if "Dustvale: the Trash is not emptied" in line]
                s.note(f"debug output: {refusals}")
                self.assertEqual(len(refusals), 1, "an emptying that removes nothing is retried "
                                 "only after a pause")
                self.assertIn("is write-protected", refusals[0])
                self.assertTrue(s.is_running())
            finally:
                # The session's folders go with it.
                unprotect()


if __name__ == "__main__":
    unittest.main()
