"""End-to-end: the real Dustvale.exe and the shell under Wine: its icon comes back after the
tray lost it and "TaskbarCreated" is broadcast, and the keyboard's notifications open its menu.
TrayShell.exe plays the shell's part (Wine's own notification area sends no keyboard
notifications, and its explorer is not restarted in these tests).

Run one case: DUSTVALE_EXE=... DUSTVALE_WINDOW_TREE_EXE=... DUSTVALE_TRAY_SHELL_EXE=... \
    DUSTVALE_E2E_TEMPLATE=... DUSTVALE_E2E_ARTIFACTS=... \
    /usr/bin/python3 -m unittest test_shell.ShellTest.test_keyboard_opens_the_menu_once
"""

import time
import unittest

import harness
import tray_shell
import ui_session
import windows

# The tray shows the icon again within a second or two; allow for a slow machine.
BACK_TIMEOUT = 5.0
# Where a second icon would show: one step left of the first.
SECOND_ICON = (harness.TRAY_FIRST_ICON[0] - 20,) + harness.TRAY_FIRST_ICON[1:]


class ShellTest(unittest.TestCase):

    def session(self, **kw):
        return ui_session.later_start(self._testMethodName, **kw)

    def start(self, s):
        s.wait_for_app()
        harness.wait_until("an icon in the tray", s.tray_shows_icon, 30)
        return tray_shell.TrayShell(s), tray_shell.callback_window(s.windows())

    def test_icon_comes_back_after_the_tray_lost_it(self):
        with self.session() as s:
            shell, window = self.start(s)
            s.screenshot("before")
            self.assertTrue(shell.remove_icon(window), "the shell did not have the icon")
            self.assertTrue(shell.taskbar_created())
            started = time.monotonic()
            harness.wait_until("the icon back in the tray", s.tray_shows_icon, BACK_TIMEOUT, 0.1)
            s.note(f"icon back {time.monotonic() - started:.2f} s after the broadcast, "
                   f"screenshot {s.screenshot('back')}")
            # Once: no second icon beside it, and it stays.
            background = s.taskbar_colour()
            harness.holds_for("one icon in the tray",
                              lambda: s.tray_shows_icon()
                              and harness.share_of(s.pixels(SECOND_ICON), background, 8) >= 0.99,
                              3.0)
            self.assertTrue(s.is_running())

    def test_keyboard_opens_the_menu_once(self):
        with self.session() as s:
            shell, window = self.start(s)
            for name, notification in (("NIN_KEYSELECT", tray_shell.NIN_KEYSELECT),
                                       ("WM_CONTEXTMENU", tray_shell.WM_CONTEXTMENU)):
                with self.subTest(name):
                    # The cursor away from the icon, as when the keyboard reached it.
                    s.hover((300, 200))
                    # Enter sends its selection twice; one menu opens all the same.
                    self.assertTrue(shell.notify(window, notification, times=2))
                    menu = s.wait_for_window(f"the menu after {name}", windows.MENU_CLASS,
                                             timeout=5)
                    s.note(f"{name}: {menu!r}, screenshot {s.screenshot(f'menu-{name}')}")
                    s.item_centre(menu, ui_session.MAIN_MENU, "Exit")
                    self.assertEqual(len(s.shown(windows.MENU_CLASS)), 1)
                    s.close_menu()
                    harness.holds_for("no second menu", lambda: not s.shown(windows.MENU_CLASS),
                                      1.5, 0.3)
            self.assertTrue(s.is_running())
            self.assertTrue(s.tray_shows_icon())


if __name__ == "__main__":
    unittest.main()
