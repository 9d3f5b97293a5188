"""End-to-end: one Dustvale per user on a desktop. Dustvale.exe started a second time under Wine
finds the running one, which shows a balloon at its icon, and ends.

Run it: DUSTVALE_EXE=... DUSTVALE_WINDOW_TREE_EXE=... DUSTVALE_E2E_TEMPLATE=... \
    DUSTVALE_E2E_ARTIFACTS=... /usr/bin/python3 -m unittest test_instance.InstanceTest
"""

import os
import time
import unittest

import harness
import ui_session
import windows

ALREADY_RUNNING = "Dustvale is already running."
# Wine's shell shows a balloon two seconds after it was asked for; allow for a slow machine.
BALLOON_APPEARS = 15.0
# Where a second tray icon would show: one icon's step left of the first.
SECOND_ICON = (harness.TRAY_FIRST_ICON[0] - 20,) + harness.TRAY_FIRST_ICON[1:]


class InstanceTest(unittest.TestCase):

    def test_second_start_shows_a_balloon_and_leaves_one_icon(self):
        with ui_session.UiSession(self._testMethodName, os.environ["DUSTVALE_EXE"],
                                  os.environ["DUSTVALE_WINDOW_TREE_EXE"],
                                  os.environ["DUSTVALE_E2E_TEMPLATE"],
                                  os.environ["DUSTVALE_E2E_ARTIFACTS"], manifest=True) as s:
            running = s.wait_for_app()
            harness.wait_until("an icon in the tray", s.tray_shows_icon, 30)
            background = s.taskbar_colour()

            started = time.monotonic()
            s.start_again()
            balloon = s.wait_for_window("the running Dustvale's balloon", windows.TOOLTIP_CLASS,
                                        ALREADY_RUNNING, BALLOON_APPEARS)
            s.note(f"balloon {time.monotonic() - started:.1f} s after the second start: "
                   f"{balloon!r}, screenshot {s.screenshot('balloon')}")
            # At the icon, in the bottom right corner.
            left, top, right, bottom = balloon.rect
            self.assertGreater(right, harness.TRAY_FIRST_ICON[0] - 40, balloon)
            self.assertLessEqual(bottom, harness.TRAY_FIRST_ICON[1] + 16, balloon)

            harness.wait_until("the second Dustvale.exe to end",
                               lambda: s.app_processes() == running, 10)
            harness.holds_for(
                "one Dustvale.exe with one icon",
                lambda: (s.app_processes() == running
                         and harness.share_of(s.pixels(SECOND_ICON), background, 8) > 0.9),
                3.0)
            self.assertTrue(s.tray_shows_icon())
            s.screenshot("one-icon")


if __name__ == "__main__":
    unittest.main()
