"""End-to-end: the rules of automatic removal on the freedesktop Trash under Wine, with items
dated over the last 90 days, and the question before Empty.

The sessions run in the time zone of Kathmandu (UTC+5:45), where the dates of the .trashinfo
files, written in local time, differ from UTC by more than the margins the cases leave: a date
read as UTC would keep an item that is past its days.

Run one case: DUSTVALE_EXE=... DUSTVALE_WINDOW_TREE_EXE=... DUSTVALE_E2E_TEMPLATE=... \
    DUSTVALE_E2E_ARTIFACTS=... /usr/bin/python3 -m unittest \
    test_removal.RemovalTest.test_age_rule_removes_exactly_the_items_past_its_days
"""

import contextlib
import datetime
import os
import unittest
import zoneinfo
from unittest import mock

import harness
import ui_session
import windows

ZONE = "Asia/Kathmandu"
AUTO_CLEAN = b"OFF\r\n"
# The rules run at the first count, a second or two after the start; allow for a slow machine.
SETTLE_TIMEOUT = 20.0
# How long a Trash that must stay as it is is watched after the first count.
HOLD = 6.0
KIB = 1024


def trash_dated(s, name, age, data, date=None):
    """Puts the file `name` into the Trash as trashed `age` (a timedelta) ago, its date in the
    session's local time; `date` writes that DeletionDate instead."""
    if date is None:
        trashed = datetime.datetime.now(zoneinfo.ZoneInfo(ZONE)) - age
        date = trashed.strftime("%Y-%m-%dT%H:%M:%S")
    with open(os.path.join(s.trash_files, name), "wb") as f:
        f.write(data)
    with open(os.path.join(s.trash_info, name + ".trashinfo"), "w") as f:
        f.write(f"[Trash Info]\nPath={s.home}/{name}\nDeletionDate={date}\n")


def day_items(s, size):
    """Items of `size` bytes trashed half a day less than 1, 2, ... 90 days ago: day01 ...
    day90."""
    for days in range(1, 91):
        trash_dated(s, f"day{days:02d}", datetime.timedelta(days=days, hours=-12), bytes(size))


def days(names):
    return sorted(int(n[3:]) for n in names if n.startswith("day"))


class RemovalTest(unittest.TestCase):

    @contextlib.contextmanager
    def session(self, ini, **kw):
        # A later start: the manifest lies beside the executable. The session takes its
        # environment, and so its time zone, from the tests' when it starts.
        beside = {"AutoClean.cfg": AUTO_CLEAN, "Dustvale.ini": ini}
        with mock.patch.dict(os.environ, {"TZ": ZONE}), ui_session.UiSession(
                self._testMethodName, os.environ["DUSTVALE_EXE"],
                os.environ["DUSTVALE_WINDOW_TREE_EXE"], os.environ["DUSTVALE_E2E_TEMPLATE"],
                os.environ["DUSTVALE_E2E_ARTIFACTS"], manifest=True, beside=beside, **kw) as s:
            yield s

    def start(self, s):
        s.wait_for_app()
        harness.wait_until("an icon in the tray", s.tray_shows_icon, 30)

    def assert_settings_untouched(self, s):
        with open(os.path.join(s.app_dir, "AutoClean.cfg"), "rb") as f:
            self.assertEqual(f.read(), AUTO_CLEAN)

    def test_age_rule_removes_exactly_the_items_past_its_days(self):
        def lay_out(s):
            day_items(s, 1000)
            # Two hours either side of the limit: well within the zone's 5 h 45 from UTC.
            trash_dated(s, "past", datetime.timedelta(days=30, hours=2), b"p")
            trash_dated(s, "within", datetime.timedelta(days=30, hours=-2), b"w")
            # An old folder goes with everything in it.
            folder = os.path.join(s.trash_files, "oldfolder", "sub")
            os.makedirs(folder)
            with open(os.path.join(folder, "f.txt"), "wb") as f:
                f.write(b"in a trashed folder")
            with open(os.path.join(s.trash_info, "oldfolder.trashinfo"), "w") as f:
                f.write(f"[Trash Info]\nPath={s.home}/oldfolder\n"
                        "DeletionDate=2020-01-01T00:00:00\n")
            # No readable date: never removed by age.
            trash_dated(s, "undated", None, b"u", date="2020-02-30T10:00:00")

        with self.session(b"EmptyOldItems=on\r\nEmptyOldItemsDays=30\r\n",
                          before_start=lay_out) as s:
            self.start(s)
            kept = sorted([f"day{d:02d}" for d in range(1, 31)] + ["within", "undated"])
            harness.wait_until("the items past 30 days to go", lambda: s.trashed() == kept,
                               SETTLE_TIMEOUT, 0.25)
            harness.holds_for("the items within 30 days to stay", lambda: s.trashed() == kept,
                              HOLD)
            self.assertEqual(sorted(os.listdir(s.trash_info)),
                             sorted(name + ".trashinfo" for name in kept))
            s.note(f"left: {s.trashed()}, screenshot {s.screenshot('after-age-rule')}")
            self.assert_settings_untouched(s)
            self.assertTrue(s.is_running())

    def test_size_rule_removes_the_oldest_first_down_to_the_limit(self):
        # 90 items of 100 KiB and a limit of 1 MB: the 10 newest stay (1000 KiB).
        with self.session(b"KeepBinUnderSize=on\r\nBinSizeLimitMB=1\r\n",
                          before_start=lambda s: day_items(s, 100 * KIB)) as s:
            self.start(s)
            harness.wait_until("the oldest items to go, down to 1 MB",
                               lambda: days(s.trashed()) == list(range(1, 11)), SETTLE_TIMEOUT,
                               0.25)
            harness.holds_for("the 10 newest items to stay",
                              lambda: days(s.trashed()) == list(range(1, 11)), HOLD)
            self.assertEqual(len(os.listdir(s.trash_info)), 10)
            s.note(f"left: {s.trashed()}")
            self.assert_settings_untouched(s)

    def test_rules_off_or_malformed_remove_nothing(self):
        for label, ini in (
                ("both rules off", b"EmptyOldItems=off\r\nKeepBinUnderSize=off\r\n"
                                   b"EmptyOldItemsDays=1\r\nBinSizeLimitMB=1\r\n"),
                ("malformed", b"EmptyOldItems=yes\r\nEmptyOldItemsDays=30 days\r\n"
                              b"KeepBinUnderSize=on\r\nBinSizeLimitMB=0x1\r\n")):
            with self.subTest(label):
                with self.session(ini, before_start=lambda s: day_items(s, 100 * KIB)) as s:
                    self.start(s)
                    everything = [f"day{d:02d}" for d in range(1, 91)]
                    harness.holds_for("every item to stay", lambda: s.trashed() == everything,
                                      HOLD)
                    self.assertEqual(len(os.listdir(s.trash_info)), 90)
                    self.assert_settings_untouched(s)
                    with open(os.path.join(s.app_dir, "Dustvale.ini"), "rb") as f:
                        self.assertEqual(f.read(), ini, "read, never written")

    def test_question_before_empty_shows_count_and_size_and_no_keeps_everything(self):
        def lay_out(s):
            for name, size in (("a.txt", 1000), ("b.txt", 1000), ("c.txt", 500)):
                trash_dated(s, name, datetime.timedelta(days=2), bytes(size))

        with self.session(b"AskBeforeEmptying=on\r\n", before_start=lay_out) as s:
            self.start(s)
            s.choose("Recycle Bin", "Empty")
            box = s.box("Dustvale")
            s.note(f"screenshot {s.screenshot('question')}")
            texts = [c.text for c in box.children if c.class_name == "Static" and c.text]
            self.assertIn("Permanently delete these 3 items (2500 bytes)?", texts)
            buttons = {c.text.replace("&", ""): c for c in box.children
                       if c.class_name == "Button"}
            self.assertEqual(list(buttons), ["Yes", "No"])
            s.click(buttons["No"].centre)
            s.wait_for_no_window("the question to close", windows.DIALOG_CLASS, "Dustvale",
                                 timeout=5)
            harness.holds_for("every item to stay",
                              lambda: s.trashed() == ["a.txt", "b.txt", "c.txt"], HOLD)
            self.assertEqual(len(os.listdir(s.trash_info)), 3)
            self.assert_settings_untouched(s)


if __name__ == "__main__":
    unittest.main()
