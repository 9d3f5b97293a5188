"""End-to-end: the tray menu of the real Dustvale.exe under Wine, driven with the mouse.

Run one case: DUSTVALE_EXE=... DUSTVALE_WINDOW_TREE_EXE=... DUSTVALE_E2E_TEMPLATE=... \
    DUSTVALE_E2E_ARTIFACTS=... /usr/bin/python3 -m unittest test_menu.MenuTest.test_about_box
"""

import os
import time
import unittest

import harness
import ui_session
import windows

# The program sees the Trash and ends within a second or two; allow for a slow machine.
SETTLE_TIMEOUT = 5.0
# Mean difference per colour channel between the tray icon and a picture drawn over the taskbar
# (Wine blends the edges a little differently; another picture differs by far more).
PICTURE_TOLERANCE = 12
# A Recycle Bin the shell takes seconds to count and to empty under Wine.
LARGE_BIN = 50000


class MenuTest(unittest.TestCase):

    def session(self, **kw):
        return ui_session.later_start(self._testMethodName, **kw)

    def start(self, s):
        s.wait_for_app()
        harness.wait_until("an icon in the tray", s.tray_shows_icon, 30)

    def test_every_button_opens_the_menu(self):
        with self.session() as s:
            self.start(s)
            icon = s.tray_icon_centre()
            for button, name in ((3, "right"), (1, "left"), (2, "middle")):
                with self.subTest(button=name):
                    menu = s.open_menu(button)
                    s.note(f"{name} click: {menu!r}, screenshot {s.screenshot(f'menu-{name}')}")
                    # Opened at the cursor: kept on the screen, it opens above and to the left
                    # of a cursor in the bottom right corner, within an icon's width of it.
                    _, _, right, bottom = menu.rect
                    self.assertLessEqual(abs(right - icon[0]), s.scaled(16), menu)
                    self.assertLessEqual(abs(bottom - icon[1]), s.scaled(16), menu)
                    # As high as the visible items alone (Recent Files stays hidden).
                    s.item_centre(menu, ui_session.MAIN_MENU, "Exit")
                    s.close_menu()
            # CCleaner is not installed: the Clean sub-menu holds Temp Files alone.
            menu = s.open_menu(3)
            sub = s.open_sub_menu(menu, ui_session.MAIN_MENU, "Clean")
            s.item_centre(sub, ui_session.SUB_MENUS["Clean"], "Temp Files")
            s.screenshot("clean-sub-menu")
            s.close_menu()
            self.assertTrue(s.is_running())

    def test_empty_empties_the_trash(self):
        with self.session() as s:
            self.start(s)
            full, empty = (harness.composite(harness.built_in_picture(name), s.taskbar_colour())
                           for name in ("tray_full.ico", "tray_empty.ico"))
            # The full picture shows from the start until the monitor's first tick.
            harness.wait_until(
                "the monitor's first tick (the empty bin)",
                lambda: harness.difference(s.tray_icon(), empty) < PICTURE_TOLERANCE,
                SETTLE_TIMEOUT)
            s.trash("letter.txt")
            s.trash("photo.jpg", b"\xff\xd8\xff" + bytes(4000))
            harness.wait_until(
                "the full bin in the tray",
                lambda: harness.difference(s.tray_icon(), full) < PICTURE_TOLERANCE,
                SETTLE_TIMEOUT)
            s.screenshot("full")
            s.choose("Recycle Bin", "Empty", shot="choosing-empty")
            started = time.monotonic()
            harness.wait_until("the Trash to be emptied", lambda: not s.trashed(),
                               SETTLE_TIMEOUT, 0.1)
            s.note(f"Trash emptied {time.monotonic() - started:.2f} s after the click")
            self.assertEqual(os.listdir(s.trash_info), [], "trash info left behind")
            s.wait_for_no_window("the menu to close", windows.MENU_CLASS, timeout=5)
            # No question, no message.
            self.assertEqual(s.shown(windows.DIALOG_CLASS), [])
            harness.wait_until(
                "the empty bin in the tray",
                lambda: harness.difference(s.tray_icon(), empty) < PICTURE_TOLERANCE,
                SETTLE_TIMEOUT)
            s.screenshot("emptied")
            self.assertTrue(s.is_running())

    def test_about_box(self):
        with self.session() as s:
            self.start(s)
            s.choose("About")
            box = s.box("About Dustvale")
            s.note(f"screenshot {s.screenshot('about')}")
            texts = [c.text for c in box.children if c.class_name == "Static" and c.text]
            self.assertEqual(len(texts), 1, box.children)
            self.assertTrue(texts[0].startswith("Dustvale "), texts[0])
            self.assertIn("Made by Quillmere (", texts[0])
            self.assertIn("Icons by Quillmere (", texts[0])
            self.assertEqual([c.text for c in box.children if c.class_name == "Button"], ["OK"])
            s.click(box.button("OK").centre)
            s.wait_for_no_window("the About box to close", windows.DIALOG_CLASS,
                                 "About Dustvale", timeout=5)
            self.assertTrue(s.is_running())
            self.assertTrue(s.tray_shows_icon())

    def test_exit_while_a_large_bin_is_emptied_ends_at_once(self):
        # The shell takes many seconds over 50,000 items; the program does not wait for it to end,
        # and no thread left inside the shell holds the end of the process up.
        with self.session(before_start=lambda s: s.trash_many(LARGE_BIN)) as s:
            self.start(s)
            # The first count takes Wine seconds; the emptying waits behind it or runs: either way
            # the worker is inside the shell when Exit comes.
            time.sleep(4)
            s.choose("Recycle Bin", "Empty")
            s.choose("Exit")
            started = time.monotonic()
            harness.wait_until("the icon to leave the tray", lambda: not s.tray_shows_icon(),
                               SETTLE_TIMEOUT)
            harness.wait_until("Dustvale.exe to end", lambda: not s.is_running(), SETTLE_TIMEOUT,
                               0.05)
            took = time.monotonic() - started
            s.note(f"ended {took:.2f} s after Exit, {len(s.trashed())} of {LARGE_BIN} items "
                   "still in the Trash")
            self.assertLess(took, 1.0)

    def test_exit_removes_the_icon_and_ends(self):
        with self.session() as s:
            self.start(s)
            s.choose("Exit")
            started = time.monotonic()
            harness.wait_until("the icon to leave the tray", lambda: not s.tray_shows_icon(),
                               SETTLE_TIMEOUT)
            gone = time.monotonic() - started
            harness.wait_until("Dustvale.exe to end", lambda: not s.is_running(), SETTLE_TIMEOUT)
            s.note(f"icon gone {gone:.2f} s and process ended {time.monotonic() - started:.2f} s "
                   "after Exit")
            # The place of the icon shows the plain taskbar, both read from one screenshot: Wine
            # closes the desktop a second after its last program ended.
            shot = s.screenshot("exited")
            background = s.pixels(harness.TASKBAR_SAMPLE + (1, 1), shot)[0]
            self.assertGreaterEqual(harness.share_of(s.tray_icon(shot), background, 8), 0.99)


if __name__ == "__main__":
    unittest.main()
