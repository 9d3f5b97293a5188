"""End-to-end: the Temp Files command of the real Dustvale.exe under Wine, on a prepared temporary
folder, checked on the Linux side entry by entry.

Run one case: DUSTVALE_EXE=... DUSTVALE_WINDOW_TREE_EXE=... DUSTVALE_HOLD_FILE_EXE=... \
    DUSTVALE_E2E_TEMPLATE=... DUSTVALE_E2E_ARTIFACTS=... \
    /usr/bin/python3 -m unittest test_clean.CleanTest.test_drive_temp_folder_emptied
"""

import os
import time
import unittest

import harness
import link_race
import temp_clean
from temp_clean import write

# Runs of the race in one session: a few here; the benchmark runs many more.
RACE_RUNS = int(os.environ.get("DUSTVALE_RACE_RUNS", "10"))

# A temporary folder whose clean takes Wine several seconds.
EXIT_FOLDERS = 300
EXIT_FILES_PER_FOLDER = 100

# What outlives the clean: a file another program holds open without sharing, and so its
# folder; and the link to an outside folder, which the clean leaves alone because Wine 8 cannot
# remove it as a link (RemoveDirectoryW acts on the folder it points to).
HELD = os.path.join("held", "held.txt")
LINK = "link-to-outside"
STAYS = {"held/", HELD, LINK}


def lay_out_temp(s, temp):
    """Fills the temporary folder `temp` (a C: path) with everything a clean meets; returns the
    Linux path of the outside folder that a link inside the temporary folder points to."""
    root = s.unix_path(temp)
    write(os.path.join(root, "loose.txt"))
    write(os.path.join(root, "all-three.txt"))
    for name in ("readonly.txt", "hidden.txt", "system.txt"):
        write(os.path.join(root, "attrs", name))
    write(os.path.join(root, "nested", "a", "b", "c", "deep.txt"))
    write(os.path.join(root, "nested", "a", "b", "middle.txt"))
    write(os.path.join(root, "nested", "a", "top.txt"))
    os.makedirs(os.path.join(root, "nested", "empty"))
    # Names outside every ANSI code page, made as UTF-8 names on the Linux side.
    write(os.path.join(root, "Кириллица", "Документ.txt"))
    write(os.path.join(root, "漢字フォルダ", "ファイル.txt"))
    write(os.path.join(root, "文件.txt"))
    write(os.path.join(root, "файл.txt"))
    write(os.path.join(root, "held", "sibling.txt"))
    write(os.path.join(root, HELD), b"held open\n")
    # A link to a folder outside, holding a file: the link goes, what it points to stays.
    outside = os.path.join(s.root, "outside")
    write(os.path.join(outside, "keep.txt"), b"outside the temporary folder\n")
    os.symlink(outside, os.path.join(root, LINK))

    s.set_attributes(temp + "\\all-three.txt", "+r", "+h", "+s")
    s.set_attributes(temp + "\\attrs", "+r", "+h", "+s")
    s.set_attributes(temp + "\\attrs\\readonly.txt", "+r")
    s.set_attributes(temp + "\\attrs\\hidden.txt", "+h")
    s.set_attributes(temp + "\\attrs\\system.txt", "+s")
    s.set_attributes(temp + "\\nested\\a\\b\\c\\deep.txt", "+h", "+s")
    return outside


def count_files(root):
    return sum(len(files) for _, _, files in os.walk(root))


class CleanTest(unittest.TestCase):

    def assertAttributesSet(self, before):
        # The layout means something only if Wine really marked the entries.
        self.assertRegex(before["all-three.txt"], r"\[0x6 r\]$")
        self.assertRegex(before["attrs/"], r"\[0x6 [rw]\]$")
        self.assertRegex(before["attrs/readonly.txt"], r" r\]$")
        self.assertRegex(before["attrs/hidden.txt"], r"\[0x2 w\]$")
        self.assertRegex(before["attrs/system.txt"], r"\[0x4 w\]$")

    def clean_and_check(self, s, temp):
        """Lays out the temporary folder, holds one file open, runs Temp Files with OK and
        checks the done box and exactly what is left."""
        root = s.unix_path(temp)
        outside = lay_out_temp(s, temp)
        before = temp_clean.snapshot(root)
        self.assertAttributesSet(before)
        outside_before = temp_clean.snapshot(outside)
        s.hold(temp + "\\" + HELD.replace("/", "\\"))

        s.choose_temp_files()
        s.answer_question("OK")
        box, took = s.wait_for_box(temp_clean.DONE, 30)
        s.note(f"done box {took:.2f} s after OK")
        shot = s.screenshot("done")
        s.note(f"screenshot {shot}")
        self.assertEqual(box.text, temp_clean.TITLE)
        self.assertEqual([c.text for c in box.children if c.class_name == "Button"], ["OK"])

        after = temp_clean.snapshot(root)
        self.assertEqual(sorted(after), sorted(STAYS),
                         f"left behind: {sorted(set(after) - STAYS)}")
        self.assertEqual(temp_clean.snapshot(outside), outside_before)
        self.assertEqual(after[HELD], before[HELD])
        self.assertEqual(after[LINK], before[LINK])

        s.click_button(box, "OK")
        harness.wait_until("the done box to close", lambda: not s.boxes(), 10)
        self.assertTrue(s.is_running())

    def test_drive_temp_folder_emptied(self):
        # TEMP and TMP point at C:\Temp: that folder alone is emptied, Wine's default one not.
        def other_temp(s):
            write(s.unix_path(f"C:\\users\\{s.user_name()}\\Temp\\other.txt"))

        with temp_clean.CleanSession(self._testMethodName, "C:\\Temp", other_temp) as s:
            s.wait_for_app()
            harness.wait_until("an icon in the tray", s.tray_shows_icon, 30)
            untouched = s.unix_path(f"C:\\users\\{s.user_name()}\\Temp")
            self.clean_and_check(s, "C:\\Temp")
            self.assertEqual(sorted(os.listdir(untouched)), ["other.txt"])

    def test_profile_temp_folder_emptied(self):
        # Wine's own layout, C:\users\<user>\Temp: the walk over C:\users finds the Temp folders
        # inside "Local Settings" (not those of service profiles, nor any reached through the
        # links to HOME), and the user's own Temp folder is emptied after them.
        def profiles(s):
            users = os.path.join(s.prefix, "drive_c", "users")
            write(os.path.join(users, "Olga", "Local Settings", "Temp", "old", "olga.txt"))
            write(os.path.join(users, "LocalService", "Local Settings", "Temp", "service.txt"))
            write(os.path.join(s.home, "Old", "Local Settings", "Temp", "home.txt"))
            write(os.path.join(s.prefix, "drive_c", "Temp", "not-the-temp.txt"))

        with temp_clean.CleanSession(self._testMethodName, None, profiles) as s:
            s.wait_for_app()
            harness.wait_until("an icon in the tray", s.tray_shows_icon, 30)
            users = os.path.join(s.prefix, "drive_c", "users")
            self.clean_and_check(s, f"C:\\users\\{s.user_name()}\\Temp")
            self.assertEqual(
                temp_clean.snapshot(os.path.join(users, "Olga")),
                {"Local Settings/": "folder [- w]", "Local Settings/Temp/": "folder [- w]"})
            self.assertTrue(os.path.exists(
                os.path.join(users, "LocalService", "Local Settings", "Temp", "service.txt")))
            self.assertTrue(os.path.exists(
                os.path.join(s.home, "Old", "Local Settings", "Temp", "home.txt")))
            self.assertTrue(os.path.exists(
                os.path.join(s.prefix, "drive_c", "Temp", "not-the-temp.txt")))

    def test_links_leave_what_they_point_to(self):
        # Links inside the temporary folder, at its top and in a sub-folder, to a file, an empty
        # folder and a full folder outside: whatever happens to the links, what they point to
        # stays.
        # Wine 8 shows a Unix link to a file as a plain file and deletes the file it points to
        # when asked to delete the link, and RemoveDirectoryW removes an empty folder a link
        # points to: the clean must not rely on the listing's attributes to spot these links.
        with temp_clean.CleanSession(self._testMethodName, "C:\\Temp") as s:
            s.wait_for_app()
            harness.wait_until("an icon in the tray", s.tray_shows_icon, 30)
            root = s.unix_path("C:\\Temp")
            outside = os.path.join(s.root, "outside")
            write(os.path.join(outside, "keep.txt"), b"outside the temporary folder\n")
            write(os.path.join(outside, "full", "inner.txt"), b"inside a linked folder\n")
            os.makedirs(os.path.join(outside, "empty"))
            write(os.path.join(root, "plain.txt"))
            write(os.path.join(root, "sub", "deeper", "plain.txt"))
            os.symlink(os.path.join(outside, "keep.txt"), os.path.join(root, "link-to-file.txt"))
            os.symlink(os.path.join(outside, "empty"), os.path.join(root, "link-to-empty"))
            os.symlink(os.path.join(outside, "full"), os.path.join(root, "link-to-full"))
            # Nested: the emptying of a sub-folder and its forced deletion meet them too.
            os.symlink(os.path.join(outside, "keep.txt"),
                       os.path.join(root, "sub", "deeper", "nested-link.txt"))
            os.symlink(os.path.join(outside, "empty"), os.path.join(root, "sub", "nested-empty"))
            # Deeper than Wine can name (20 levels of 250 characters): there the clean moves
            # folders up before it can tell a link from a file.
            names = [f"{n:03d}" + "y" * 247 for n in range(20)]
            temp_clean.make_chain(os.path.join(root, "deep"), names, {19: "plain.txt"})
            deepest = os.open(os.path.join(root, "deep"), os.O_RDONLY)
            for name in names:
                inner = os.open(name, os.O_RDONLY, dir_fd=deepest)
                os.close(deepest)
                deepest = inner
            os.symlink(os.path.join(outside, "keep.txt"), "deep-link.txt", dir_fd=deepest)
            os.symlink(os.path.join(outside, "full"), "deep-full", dir_fd=deepest)
            os.close(deepest)
            outside_before = temp_clean.snapshot(outside)

            s.choose_temp_files()
            s.answer_question("OK")
            box, _ = s.wait_for_box(temp_clean.DONE, 30)
            s.screenshot("done")
            self.assertFalse(os.path.exists(os.path.join(root, "plain.txt")))
            self.assertFalse(os.path.exists(os.path.join(root, "sub", "deeper", "plain.txt")))
            left = temp_clean.deep_entries(root)
            self.assertFalse([p for p in left if p.endswith("plain.txt")], sorted(left))
            self.assertEqual(temp_clean.snapshot(outside), outside_before)
            s.click_button(box, "OK")

    def test_deep_trees_emptied(self):
        # Wine's own temporary folder (so the walk over C:\users crosses the trees too) holds
        # a tree of 300 levels and a path of 32,000 characters, 128 levels of 250-character
        # names: Wine names and deletes nothing past a Unix path's 4096 bytes, so the clean
        # moves folders up on the way. Guarded files and folders lie at every depth.
        with temp_clean.CleanSession(self._testMethodName) as s:
            s.wait_for_app()
            harness.wait_until("an icon in the tray", s.tray_shows_icon, 30)
            temp = f"C:\\users\\{s.user_name()}\\Temp"
            root = s.unix_path(temp)
            temp_clean.make_chain(
                os.path.join(root, "300 levels"), ["d"] * 299,
                {-1: "top.txt", 100: "a.txt", 200: "b.txt", 298: "bottom.txt"},
                guarded={150, 298})
            long_path = temp_clean.make_chain(
                os.path.join(root, "long"), [f"{n:03d}" + "x" * 247 for n in range(128)],
                {10: "a.txt", 20: "b.txt", 64: "c.txt", 127: "deepest.txt"},
                guarded={20, 64, 127})
            self.assertGreater(len(temp) + len("\\long") + long_path, 32000)
            outside = os.path.join(s.root, "outside")
            write(os.path.join(outside, "keep.txt"), b"outside the temporary folder\n")
            outside_before = temp_clean.snapshot(outside)

            s.choose_temp_files()
            s.answer_question("OK")
            box, took = s.wait_for_box(temp_clean.DONE, 120)
            s.note(f"done box {took:.2f} s after OK")
            s.screenshot("done")
            self.assertEqual(temp_clean.deep_entries(root), {})
            self.assertEqual(temp_clean.snapshot(outside), outside_before)
            s.click_button(box, "OK")
            self.assertTrue(s.is_running())

    def test_race_with_links_loses_nothing_outside(self):
        # Another program keeps swapping each of the 40 folders being emptied for a link to an
        # outside folder holding files of the same names, and back, about every millisecond.
        with temp_clean.CleanSession(self._testMethodName, "C:\\Temp") as s:
            s.wait_for_app()
            harness.wait_until("an icon in the tray", s.tray_shows_icon, 30)
            for run in range(1, RACE_RUNS + 1):
                before, after, swaps, left, took = link_race.race_once(s)
                s.note(f"run {run}: {swaps} swaps during a clean of {took:.1f} s, "
                       f"{left} temporary files left")
                # The race was on (each folder swapped at least once on average), and the
                # clean went on through it.
                self.assertGreaterEqual(swaps, link_race.FOLDERS, f"run {run}")
                self.assertLess(left, link_race.FOLDERS * link_race.FILES_PER_FOLDER)
                lost, changed = link_race.harm(before, after)
                self.assertEqual((lost, changed), ([], []), f"run {run}: canaries lost, changed")
            self.assertTrue(s.is_running())

    def test_refused_clean_says_why(self):
        # TEMP set to the program's own folder: nothing is deleted, and the closing box says so
        # instead of claiming a clean.
        with temp_clean.CleanSession(self._testMethodName, "C:\\app") as s:
            s.wait_for_app()
            harness.wait_until("an icon in the tray", s.tray_shows_icon, 30)
            write(os.path.join(s.app_dir, "notes.txt"))
            before = temp_clean.snapshot(s.app_dir)

            s.choose_temp_files()
            s.answer_question("OK")
            said = ('The Windows Temporary folder was not cleaned, because it is set to '
                    '"C:\\app", which holds Dustvale itself.')
            box, _ = s.wait_for_box(said, 30)
            s.note(f"screenshot {s.screenshot('refused')}")
            s.no_box_for(temp_clean.DONE, 1)
            self.assertEqual(temp_clean.snapshot(s.app_dir), before)
            s.click_button(box, "OK")
            self.assertTrue(s.is_running())

    def test_exit_during_the_clean_ends_at_once(self):
        # Exit chosen from the tray menu while a clean of 30,000 files runs: the clean stops at
        # its next yield, the icon goes and the process ends within a second (so no closing
        # box); nothing more is deleted.
        with temp_clean.CleanSession(self._testMethodName) as s:
            s.wait_for_app()
            harness.wait_until("an icon in the tray", s.tray_shows_icon, 30)
            root = s.unix_path(f"C:\\users\\{s.user_name()}\\Temp")
            for folder in range(EXIT_FOLDERS):
                for file in range(EXIT_FILES_PER_FOLDER):
                    write(os.path.join(root, f"folder{folder:03d}", f"file{file:03d}.tmp"))
            total = EXIT_FOLDERS * EXIT_FILES_PER_FOLDER

            s.choose_temp_files()
            s.answer_question("OK")
            # Under way: the emptying (last listed first) has taken folders away.
            harness.wait_until("the clean to delete folders",
                               lambda: len(os.listdir(root)) <= EXIT_FOLDERS - 30, 60, 0.05)
            # The menu's own loop runs inside the clean's yield: the clean waits while it shows.
            shown = {}
            clicked = s.choose_exit(
                lambda: shown.update(left=count_files(root), shot=s.screenshot("menu")))
            harness.wait_until("Dustvale.exe to end", lambda: not s.is_running(), 10, 0.02)
            took = time.monotonic() - clicked
            left = count_files(root)
            s.note(f"process ended {took:.2f} s after the click on Exit; {total - left} of "
                   f"{total} files deleted, {shown['left'] - left} of them after the menu showed")
            shot = s.screenshot("exited")
            self.assertLess(took, 1.0)
            self.assertGreater(left, total // 2, "the clean was not stopped midway")
            self.assertEqual(left, shown["left"])
            # The icon's place shows the plain taskbar (Wine closes the desktop soon after its
            # last program, so both are read from one screenshot).
            background = s.pixels(harness.TASKBAR_SAMPLE + (1, 1), shot)[0]
            self.assertGreaterEqual(harness.share_of(s.tray_icon(shot), background, 8), 0.99)

    def test_vista_profiles_walk_lists_no_folder_inside_them(self):
        # TEMP as Vista and later set it, C:\users\<user>\AppData\Local\Temp, so the walk
        # runs over C:\users: 2,000 folders inside the profiles (the user's source trees,
        # another user's documents with a copy of an old computer's profile) are never listed.
        # A listing moves a folder's access time (ext4's relatime does so whenever the access
        # time is older than the last change): each folder's is set back just before the clean
        # and must stay; the emptied folder's, set back too, shows that the clock runs.
        made = {}

        def profiles(s):
            user = s.user_name()
            temp = f"C:\\users\\{user}\\AppData\\Local\\Temp"
            for name in ("TEMP", "TMP"):
                s.wine("reg", "add", "HKCU\\Environment", "/v", name, "/d", temp, "/f")
            users = os.path.join(s.prefix, "drive_c", "users")
            made["root"] = s.unix_path(temp)
            write(os.path.join(made["root"], "setup.tmp"))
            write(os.path.join(users, "Olga", "Local Settings", "Temp", "olga.tmp"))
            made["copy"] = os.path.join(users, "Olga", "Documents", "OldPC",
                                        "Documents and Settings", "Bob", "Local Settings", "Temp",
                                        "thesis-draft.doc")
            write(made["copy"])
            for n in range(40):
                for m in range(24):
                    os.makedirs(os.path.join(users, user, "Projects", f"repo{n:02d}", f"d{m:02d}"))
            for n in range(31):
                for m in range(31):
                    os.makedirs(os.path.join(users, "Olga", "Documents", "Photos", f"{n:02d}",
                                             f"{m:02d}"))
            made["folders"] = [f for top in (os.path.join(users, user, "Projects"),
                                             os.path.join(users, "Olga", "Documents"))
                               for f, _, _ in os.walk(top)]
            made["olga"] = os.path.join(users, "Olga", "Local Settings", "Temp", "olga.tmp")

        with temp_clean.CleanSession(self._testMethodName, None, profiles) as s:
            root, folders = made["root"], made["folders"]
            self.assertEqual(len(folders), 2000)
            s.wait_for_app()
            harness.wait_until("an icon in the tray", s.tray_shows_icon, 30)

            long_ago = time.time_ns() - 3 * 86400 * 10**9
            for folder in folders + [root]:
                os.utime(folder, ns=(long_ago, os.stat(folder).st_mtime_ns))
            s.choose_temp_files()
            s.answer_question("OK")
            box, took = s.wait_for_box(temp_clean.DONE, 30)
            s.note(f"done box {took:.2f} s after OK")

            self.assertGreater(os.stat(root).st_atime_ns, long_ago, "listings leave no trace")
            self.assertEqual(os.listdir(root), [])
            self.assertFalse(os.path.exists(made["olga"]))
            listed = [f for f in folders if os.stat(f).st_atime_ns != long_ago]
            s.note(f"{len(listed)} of {len(folders)} folders inside the profiles listed")
            self.assertEqual(listed, [])
            self.assertTrue(os.path.exists(made["copy"]))
            s.click_button(box, "OK")

    def test_cancel_touches_nothing(self):
        with temp_clean.CleanSession(self._testMethodName, "C:\\Temp") as s:
            s.wait_for_app()
            harness.wait_until("an icon in the tray", s.tray_shows_icon, 30)
            root = s.unix_path("C:\\Temp")
            lay_out_temp(s, "C:\\Temp")
            before = temp_clean.snapshot(root)
            self.assertAttributesSet(before)

            s.choose_temp_files()
            s.answer_question("Cancel")
            s.no_box_for(temp_clean.DONE, 3)
            s.screenshot("after-cancel")
            self.assertEqual(temp_clean.snapshot(root), before)
            self.assertTrue(s.is_running())


if __name__ == "__main__":
    unittest.main()
