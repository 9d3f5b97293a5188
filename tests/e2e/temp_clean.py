"""The Temp Files command of the real Dustvale.exe under Wine, for the end-to-end tests and the
benchmark: a session whose temporary path can be set, the tray menu and the message boxes driven
with the mouse, a file held open by another program, and the temporary folder as Linux sees it.

The boxes and menus are found through windows.WindowTree; HoldFile.exe (a helper of these
tests) holds a file open without sharing.
"""

import os
import stat
import subprocess
import time

import harness
import windows

TITLE = "Dustvale"
QUESTION = ("Please make sure that you dont have any programs running while you do this "
            "operation")
DONE = "The Windows Temporary folder has been cleaned."

HOLD_FILE = "HoldFile.exe"
# Wine 8 pop-up menus: a 3-pixel frame above the first item, items 16 pixels high.
MENU_FRAME = 3
MENU_ITEM = 16
# The tray menu's lines above "Clean": the size line and "Recycle Bin"; and above "Exit": five
# lines and two separators of 9 pixels.
CLEAN_LINE = 2
EXIT_TOP = 5 * MENU_ITEM + 2 * 9
TRAY_ICON_CENTRE = (harness.TRAY_FIRST_ICON[0] + 7, harness.TRAY_FIRST_ICON[1] + 8)


class CleanSession(harness.Session):
    """Dustvale.exe (a later start) on its own Wine desktop, with the tests' helper programs
    beside it. temp_path: set as TEMP and TMP of the prefix's user before the program starts;
    None keeps Wine's default (C:\\users\\<user>\\Temp)."""

    def __init__(self, name, temp_path=None, before_start=None):
        env = os.environ
        with open(env["DUSTVALE_HOLD_FILE_EXE"], "rb") as f:
            tools = {HOLD_FILE: f.read()}
        self.temp_path = temp_path
        self.lay_out = before_start
        self.holders = []
        super().__init__(name, env["DUSTVALE_EXE"], env["DUSTVALE_E2E_TEMPLATE"],
                         env["DUSTVALE_E2E_ARTIFACTS"], beside=tools, manifest=True,
                         before_start=self._before_start)

    def _before_start(self, session):
        self.window_tree = windows.WindowTree(self)
        if self.temp_path is not None:
            for name in ("TEMP", "TMP"):
                self.wine("reg", "add", "HKCU\\Environment", "/v", name, "/d", self.temp_path,
                          "/f")
        if self.lay_out is not None:
            self.lay_out(self)

    def __exit__(self, kind, value, tb):
        for holder in self.holders:
            holder.kill()
            try:
                holder.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass
        return super().__exit__(kind, value, tb)

    # -- Wine's side

    def wine(self, *args, timeout=60):
        """Runs a Wine program in this prefix and returns its standard output; fails if it
        fails."""
        done = self.wine_tool(*args, timeout=timeout)
        if done.returncode != 0:
            raise AssertionError(f"wine {' '.join(args)} failed ({done.returncode}): "
                                 f"{done.stderr.decode(errors='replace')[-500:]}")
        return done.stdout

    def unix_path(self, windows_path):
        """Where a C: path of the prefix lies on Linux."""
        drive, rest = windows_path.split(":", 1)
        assert drive.upper() == "C", windows_path
        return os.path.join(self.prefix, "drive_c", *[p for p in rest.split("\\") if p])

    def user_name(self):
        """The prefix's user (Wine names it after the Unix user)."""
        users = os.listdir(os.path.join(self.prefix, "drive_c", "users"))
        return next(u for u in users if u != "Public")

    def set_attributes(self, windows_path, *flags):
        """Sets DOS attributes ("+r", "+h", "+s") with Wine's attrib, one flag per call (Wine's
        attrib applies only the last of several flags)."""
        for flag in flags:
            self.wine("attrib", flag, windows_path)

    def hold(self, windows_path, seconds=120):
        """Starts HoldFile.exe on the file and returns once it holds it open without sharing."""
        holder = subprocess.Popen(self.program(os.environ["DUSTVALE_HOLD_FILE_EXE"],
                                               f"C:\\app\\{HOLD_FILE}", windows_path,
                                               str(seconds)),
                                  env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE, start_new_session=True)
        self.holders.append(holder)
        os.set_blocking(holder.stdout.fileno(), False)
        said = b""

        def holds():
            nonlocal said
            said += holder.stdout.read() or b""
            if holder.poll() is not None and b"held" not in said:
                raise AssertionError(f"{HOLD_FILE} ended ({holder.returncode}): "
                                     f"{holder.stderr.read().decode(errors='replace')}")
            return b"held" in said

        harness.wait_until(f"{HOLD_FILE} to hold {windows_path}", holds, 30, 0.1)
        return holder

    # -- the desktop's windows

    def windows(self):
        return self.window_tree.windows()

    def menus(self):
        """The visible pop-up menus, the first opened first."""
        shown = [w for w in self.windows() if w.class_name == windows.MENU_CLASS and w.visible]
        return list(reversed(shown))

    def boxes(self):
        """Visible message boxes as (title, [texts of their children])."""
        return [(w.text, [c.text for c in w.children])
                for w in self.windows() if w.class_name == windows.DIALOG_CLASS and w.visible]

    def wait_for_box(self, text, timeout):
        """The box showing the text once it shows, and the seconds the wait took."""
        return self.window_tree.wait_for_box(text, timeout)

    def no_box_for(self, text, seconds):
        """Checks that no box shows the text for the given time."""
        self.window_tree.no_box_for(text, seconds)

    # -- the mouse

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, timeout=10, check=True,
                       stdin=subprocess.DEVNULL)

    def click(self, point, button=1):
        self.xdotool("mousemove", str(point[0]), str(point[1]), "click", str(button))

    def click_button(self, box, caption):
        buttons = [c for c in box.children if c.class_name == "Button" and c.text == caption]
        if not buttons:
            raise AssertionError(f"no {caption!r} button in {box} ({box.children})")
        self.click(buttons[0].centre)

    def choose_temp_files(self):
        """Right-clicks the tray icon, hovers Clean and clicks Temp Files (its first visible
        line: Recent Files is hidden, CCleaner is not installed in the prefix)."""
        self.click(TRAY_ICON_CENTRE, 3)
        menu = harness.wait_until("the tray menu", self.menus, 10, 0.1)[0]
        left, top, right, _ = menu.rect
        self.xdotool("mousemove", str((left + right) // 2),
                     str(top + MENU_FRAME + CLEAN_LINE * MENU_ITEM + MENU_ITEM // 2))
        menus = harness.wait_until("the Clean sub-menu", lambda: (lambda m: len(m) >= 2 and m)(
            self.menus()), 10, 0.1)
        sub = menus[-1]
        left, top, right, _ = sub.rect
        self.click(((left + right) // 2, top + MENU_FRAME + MENU_ITEM // 2))

    def choose_exit(self, while_open=None):
        """Right-clicks the tray icon and, once the menu shows and while_open (if given) has
        run, clicks Exit, the menu's last line; returns the time.monotonic() of the click."""
        self.click(TRAY_ICON_CENTRE, 3)
        menu = harness.wait_until("the tray menu", self.menus, 10, 0.05)[0]
        if while_open is not None:
            while_open()
        left, top, right, _ = menu.rect
        clicked = time.monotonic()
        self.click(((left + right) // 2, top + MENU_FRAME + EXIT_TOP + MENU_ITEM // 2))
        return clicked

    def answer_question(self, caption):
        """Waits for the question box of Temp Files and clicks its button; returns the box."""
        box, _ = self.wait_for_box(QUESTION, 15)
        self.screenshot("question")
        self.click_button(box, caption)
        harness.wait_until("the question box to close",
                           lambda: not any(QUESTION in texts for _, texts in self.boxes()), 10)
        return box


# ---- the temporary folder as Linux sees it -----------------------------------------------------

def snapshot(root):
    """Every entry under root, without following links: {relative path: what it is}; a folder
    ends in "/", a link shows its target."""
    found = {}
    for folder, dirs, files in os.walk(root):
        for name in dirs + files:
            path = os.path.join(folder, name)
            rel = os.path.relpath(path, root)
            if os.path.islink(path):
                found[rel] = "link -> " + os.readlink(path)
            elif os.path.isdir(path):
                found[rel + "/"] = "folder" + _dos_attributes(path)
            else:
                with open(path, "rb") as f:
                    found[rel] = f"file {f.read()!r}" + _dos_attributes(path)
    return found


def _dos_attributes(path):
    """Wine keeps hidden and system in an extended attribute, read-only in the mode bits."""
    try:
        extra = os.getxattr(path, "user.DOSATTRIB").decode()
    except OSError:
        extra = "-"
    writable = "w" if os.stat(path).st_mode & 0o200 else "r"
    return f" [{extra} {writable}]"


def write(path, data=None):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data if data is not None else os.path.basename(path).encode() + b"\n")


# ---- trees deeper than a Unix path holds (4096 bytes): made and read through folder descriptors

def make_chain(root, names, files=None, guarded=()):
    """Creates the folders root/names[0]/names[1]/... however long the path, and in the folder at
    each level listed in `files` (a dict level -> file name; level -1 is root itself) a file
    holding its own name. At the levels in `guarded`, the file is made read-only and hidden,
    the folder hidden and system, as Wine marks them. Returns the length of the deepest file's
    path below root, as Windows counts it."""
    files = files or {}
    os.makedirs(root, exist_ok=True)
    fd = os.open(root, os.O_RDONLY | os.O_DIRECTORY)
    try:
        _write_in(fd, files.get(-1), -1 in guarded)
        for level, name in enumerate(names):
            os.mkdir(name, dir_fd=fd)
            inner = os.open(name, os.O_RDONLY | os.O_DIRECTORY, dir_fd=fd)
            if level in guarded:
                os.setxattr(inner, "user.DOSATTRIB", b"0x6")
            os.close(fd)
            fd = inner
            _write_in(fd, files.get(level), level in guarded)
    finally:
        os.close(fd)
    return sum(len(n) + 1 for n in names) + max((len(f) + 1 for f in files.values()), default=0)


def _write_in(folder_fd, name, guarded):
    if name is None:
        return
    fd = os.open(name, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o644, dir_fd=folder_fd)
    try:
        os.write(fd, name.encode() + b"\n")
        if guarded:
            os.setxattr(fd, "user.DOSATTRIB", b"0x2")
            os.fchmod(fd, 0o444)
    finally:
        os.close(fd)


def deep_entries(root):
    """Every entry under root at any depth, links not followed: {path below root: "folder",
    "file" or "link"}."""
    found = {}
    for folder, dirs, files, folder_fd in os.fwalk(root):
        below = os.path.relpath(folder, root)
        for name in dirs + files:
            kind = os.stat(name, dir_fd=folder_fd, follow_symlinks=False).st_mode
            what = ("link" if stat.S_ISLNK(kind) else "folder" if stat.S_ISDIR(kind)
                    else "file")
            found[os.path.normpath(os.path.join(below, name))] = what
    return found
