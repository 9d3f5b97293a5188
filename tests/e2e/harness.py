"""Drives the real Dustvale.exe under Wine on a virtual X server, as a person would see it.

Every session gets its own HOME, WINEPREFIX (a copy of a template prefix prepared once),
XDG_DATA_HOME (so its own freedesktop Trash, which Wine shows as the Recycle Bin) and X display,
and is torn down even when the test fails or the test process is killed. Every wait is bounded.

    /usr/bin/python3 harness.py prepare-prefix DIR [EXE]
        prepares the template prefix (once per run); skipped where EXE cannot run here
"""

import datetime
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "res"))
sys.path.insert(0, os.path.join(HERE, "..", "..", "scripts"))
import icofile  # noqa: E402
import wine  # noqa: E402

DESKTOP = (800, 600)


def tray_first_icon(dpi=96):
    """The first tray icon of an 800 x 600 "shell" desktop at the prefix's DPI, as Wine 8 draws
    it: x, y, width, height. Its side is the small-icon size of the DPI, with a 2-pixel border
    to the desktop's bottom right corner."""
    side = (16 * dpi + 48) // 96
    return (DESKTOP[0] - side - 2, DESKTOP[1] - side - 2, side, side)


TRAY_FIRST_ICON = tray_first_icon()
# A point of the taskbar left of the tray that no icon covers.
TASKBAR_SAMPLE = (700, 590)

WINE_ENV = {
    "WINEDEBUG": "-all",
    # No Mono or Gecko set-up dialogs while a prefix is created.
    "WINEDLLOVERRIDES": "mscoree,mshtml=",
    # As scripts/launch.sh runs Dustvale: the memory of Wine's listings goes back to Linux.
    "GLIBC_TUNABLES": wine.glibc_tunables(os.environ.get("GLIBC_TUNABLES")),
}
STAMP = "dustvale-template.stamp"


class WaitFailed(AssertionError):
    pass


def require_runnable(exe):
    """Skips the test, saying why, when this machine cannot run exe (a 32-bit program where
    the kernel runs no 32-bit programs). The line printed is what CTest reads as a skip."""
    try:
        wine.loader_for(exe)
    except wine.CannotRun as reason:
        # On a line of its own: unittest's "test_x ... " may be waiting for its verdict.
        print("\n" + wine.SKIP_PREFIX + str(reason), flush=True)
        raise unittest.SkipTest(str(reason)) from None


def wait_until(what, predicate, timeout, interval=0.2):
    """Polls predicate until it returns a true value, which is returned; fails after timeout s."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise WaitFailed(f"gave up after {timeout:.1f} s waiting for {what}")
        time.sleep(interval)


def holds_for(what, predicate, duration, interval=0.25):
    """Checks that predicate stays true for the whole duration."""
    deadline = time.monotonic() + duration
    while True:
        if not predicate():
            raise AssertionError(f"{what} stopped holding")
        if time.monotonic() >= deadline:
            return
        time.sleep(interval)


def _run(args, env, timeout, **kw):
    return subprocess.run(args, env=env, timeout=timeout, stdin=subprocess.DEVNULL, **kw)


# ---- the template prefix ------------------------------------------------------------------

def prepare_template(path):
    """Creates a fresh 64-bit Wine prefix at path/prefix (with its HOME at path/home), unless one
    made by the same Wine is already there. It runs 64-bit and 32-bit programs alike. wineboot
    takes long; sessions copy the result."""
    stamp = os.path.join(path, STAMP)
    version = f"{wine.version()}, win64, fonts {' '.join(wine.PREFIX_FONTS)}"
    if os.path.exists(stamp) and open(stamp).read().strip() == version:
        print(f"template prefix {path} is ready ({version})")
        return
    shutil.rmtree(path, ignore_errors=True)
    home = os.path.join(path, "home")
    os.makedirs(home)
    env = dict(os.environ, HOME=home, WINEPREFIX=os.path.join(path, "prefix"),
               XDG_DATA_HOME=os.path.join(home, ".local", "share"),
               XDG_CONFIG_HOME=os.path.join(home, ".config"),
               XDG_CACHE_HOME=os.path.join(home, ".cache"), **WINE_ENV)
    env.pop("DISPLAY", None)  # no window is needed to create a prefix
    started = time.monotonic()
    try:
        _run(wine.tool("wineboot", "--init"), env, 240, check=True)
        _run(wine.tool("wineserver", "--wait"), env, 120, check=True)
        wine.add_fonts(env["WINEPREFIX"])
    finally:
        subprocess.run(wine.tool("wineserver", "-k"), env=env, timeout=30, check=False)
    with open(stamp, "w") as f:
        f.write(version + "\n")
    print(f"template prefix {path} created in {time.monotonic() - started:.1f} s ({version})")


# ---- what a session leaves behind is removed by a reaper that outlives a killed test ---------

def _teardown(root, prefix, xvfb_pid):
    env = dict(os.environ, WINEPREFIX=prefix, **WINE_ENV)
    if os.path.isdir(prefix):
        try:
            subprocess.run(wine.tool("wineserver", "-k"), env=env, timeout=30, check=False,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except subprocess.TimeoutExpired:
            pass
    for pid in _wine_processes(prefix):
        _kill(pid)
    if xvfb_pid and _is_process(xvfb_pid, "Xvfb"):
        _kill(xvfb_pid)
    shutil.rmtree(root, ignore_errors=True)


def _reap(root, prefix, xvfb_pid):
    """Waits until the test process is gone (its end of the pipe closes), then tears down."""
    try:
        sys.stdin.buffer.read()
    finally:
        _teardown(root, prefix, int(xvfb_pid))


def _kill(pid):
    try:
        os.kill(pid, signal.SIGKILL)
    except (ProcessLookupError, PermissionError):
        pass


def _read_proc(pid, name):
    try:
        with open(f"/proc/{pid}/{name}", "rb") as f:
            return f.read()
    except OSError:
        return b""


def _is_process(pid, name):
    return name.encode() in _read_proc(pid, "cmdline")


def _wine_processes(prefix):
    """Processes whose environment names this prefix."""
    marker = b"WINEPREFIX=" + prefix.encode() + b"\0"
    pids = []
    for entry in os.listdir("/proc"):
        if entry.isdigit() and int(entry) != os.getpid():
            if marker in _read_proc(entry, "environ") + b"\0":
                pids.append(int(entry))
    return pids


# ---- a session ----------------------------------------------------------------------------

def architecture(exe):
    """What the manifests of a build name as its processor architecture."""
    return "amd64" if wine.pe_kind(exe) == wine.PE32_PLUS else "X86"


def manifest_text(exe_name, arch):
    """The manifest the program writes beside itself on its first start; arch is
    architecture(exe) of the executable that writes it."""
    name = "Quillmere.Freeware." + exe_name
    lines = [
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>',
        '<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">',
        "  <assemblyIdentity",
        '    version="1.0.0.0"',
        f'    processorArchitecture="{arch}"',
        f'    name="{name}"',
        '    type="win32"',
        "  />",
        f"  <description>{name}</description>",
        "  <dependency>",
        "    <dependentAssembly>",
        "      <assemblyIdentity",
        '        type="win32"',
        '        name="Microsoft.Windows.Common-Controls"',
        '        version="6.0.0.0"',
        f'        processorArchitecture="{arch}"',
        '        publicKeyToken="6595b64144ccf1df"',
        '        language="*"',
        "      />",
        "    </dependentAssembly>",
        "  </dependency>",
        "</assembly>",
    ]
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


class Session:
    """One run of Dustvale.exe on its own Wine desktop. Use as a context manager.

    beside: {file name: bytes} written into the application folder before the start.
    manifest: also place the hidden manifest beside the executable, as a later start finds it
    (without it, the session is a first start, which writes it).
    before_start: called with the session once its prefix, HOME and display exist, before the
    program starts (to set registry values or lay out files with Wine's own tools).
    start_program: False starts the desktop alone, for programs started later (start_on_desktop).

    A subclass may place the prefix and the program elsewhere (prefix_path, APP_FOLDER), show
    them on another desktop (DESKTOP_NAME) and start them in another way (launch).

    dpi: the prefix's screen resolution (LogPixels), set before the desktop starts.

    wine_debug: the WINEDEBUG channels of the session's programs instead of none ("warn+seh"
    writes the program's debug output into the session's wine.log).
    """

    # The program's folder on drive C: and the Wine desktop its windows live on.
    APP_FOLDER = "app"
    DESKTOP_NAME = "shell"

    def __init__(self, name, exe, template, artifacts, beside=None, manifest=False,
                 before_start=None, start_program=True, dpi=96, wine_debug=None):
        self.name = name
        self.exe = exe
        self.template = template
        self.artifacts = os.path.join(artifacts, name)
        self.beside = dict(beside or {})
        self.manifest = manifest
        self.before_start = before_start
        self.start_program = start_program
        self.dpi = dpi
        self.wine_debug = wine_debug
        self.later_programs = []
        self.shots = 0
        self.xvfb = None
        self.launcher = None
        self.reaper = None

    # -- set-up and tear-down

    def __enter__(self):
        require_runnable(self.exe)
        shutil.rmtree(self.artifacts, ignore_errors=True)
        os.makedirs(self.artifacts)
        self.root = tempfile.mkdtemp(prefix=f"dustvale-e2e-{self.name}-")
        self.home = os.path.join(self.root, "home")
        # Inside HOME, where a desktop keeps it: the program leaves alone a Trash elsewhere.
        self.data_home = os.path.join(self.home, ".local", "share")
        self.prefix = self.prefix_path()
        self.trash_files = os.path.join(self.data_home, "Trash", "files")
        self.trash_info = os.path.join(self.data_home, "Trash", "info")
        try:
            self._start()
        except BaseException:
            self.__exit__(*sys.exc_info())
            raise
        return self

    def prefix_path(self):
        return os.path.join(self.root, "prefix")

    def app_file(self, file_name):
        """The bytes of a file in the program's folder, None when there is none."""
        path = os.path.join(self.app_dir, file_name)
        if not os.path.exists(path):
            return None
        with open(path, "rb") as f:
            return f.read()

    def app_path(self, file_name):
        """The Windows path of a file in the program's folder."""
        return f"C:\\{self.APP_FOLDER}\\{file_name}"

    def _start(self):
        for d in (self.home, self.trash_files, self.trash_info):
            os.makedirs(d)
        started = time.monotonic()
        shutil.copytree(os.path.join(self.template, "prefix"), self.prefix, symlinks=True)
        self._relink_user_folders()
        self.env = dict(os.environ, HOME=self.home, WINEPREFIX=self.prefix,
                        XDG_DATA_HOME=self.data_home,
                        XDG_CONFIG_HOME=os.path.join(self.home, ".config"),
                        XDG_CACHE_HOME=os.path.join(self.home, ".cache"), **WINE_ENV)
        if self.wine_debug is not None:
            self.env["WINEDEBUG"] = self.wine_debug
        self.app_dir = os.path.join(self.prefix, "drive_c", self.APP_FOLDER)
        os.makedirs(self.app_dir)
        shutil.copy(self.exe, os.path.join(self.app_dir, "Dustvale.exe"))
        for file_name, data in self.beside.items():
            with open(os.path.join(self.app_dir, file_name), "wb") as f:
                f.write(data)
        self._start_xvfb()
        self.reaper = subprocess.Popen(
            [sys.executable, os.path.abspath(__file__), "reap", self.root, self.prefix,
             str(self.xvfb.pid)], stdin=subprocess.PIPE, start_new_session=True)
        if self.manifest:
            self._place_manifest()
        if self.dpi != 96:
            _run(wine.tool("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t",
                           "REG_DWORD", "/d", str(self.dpi), "/f"), self.env, 60, check=True,
                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if self.before_start is not None:
            self.before_start(self)
        self.log = open(os.path.join(self.artifacts, "wine.log"), "wb")
        self.launcher = self.launch()
        self.note(f"prefix copied and program launched in {time.monotonic() - started:.1f} s")

    def launch(self):
        """Starts the desktop, and the program on it unless start_program is False; returns the
        launcher's process."""
        program = [self.app_path("Dustvale.exe")] if self.start_program else []
        return subprocess.Popen(self._on_desktop(*program), env=self.env,
                                stdin=subprocess.DEVNULL, stdout=self.log,
                                stderr=subprocess.STDOUT, start_new_session=True)

    @staticmethod
    def _on_desktop(*program, desktop="shell"):
        return wine.tool("explorer", f"/desktop={desktop},{DESKTOP[0]}x{DESKTOP[1]}", *program)

    def wine_tool(self, *args, timeout=60, check=False):
        """Runs one of Wine's own programs (reg, attrib, cmd, ...) in this prefix and returns
        its result."""
        return subprocess.run(wine.tool(*args), env=self.env, capture_output=True,
                              timeout=timeout, check=check, stdin=subprocess.DEVNULL)

    @staticmethod
    def program(linux_file, windows_path, *args):
        """The command line that starts a program copied from linux_file to windows_path in
        the prefix, with the Wine loader its file needs."""
        return [wine.loader_for(linux_file), windows_path, *args]

    def start_on_desktop(self, windows_path, *arguments):
        """Starts a program on the running desktop; the launcher returns at once."""
        launcher = subprocess.Popen(self._on_desktop(windows_path, *arguments), env=self.env,
                                    stdin=subprocess.DEVNULL, stdout=self.log,
                                    stderr=subprocess.STDOUT, start_new_session=True)
        self.later_programs.append(launcher)
        return launcher

    def _relink_user_folders(self):
        # The template's user folders (Documents, Desktop, ...) link to the template's HOME:
        # point them at this session's HOME instead.
        old_home = os.path.join(self.template, "home")
        users = os.path.join(self.prefix, "drive_c", "users")
        for user in os.listdir(users):
            for entry in os.scandir(os.path.join(users, user)):
                if entry.is_symlink() and os.readlink(entry.path).startswith(old_home):
                    target = self.home + os.readlink(entry.path)[len(old_home):]
                    os.unlink(entry.path)
                    os.symlink(target, entry.path)

    def _start_xvfb(self):
        read_end, write_end = os.pipe()
        self.xvfb_log = open(os.path.join(self.artifacts, "xvfb.log"), "wb")
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             f"{DESKTOP[0] + 224}x{DESKTOP[1] + 168}x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=self.xvfb_log)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 15
        os.set_blocking(read_end, False)
        while not number.endswith(b"\n"):
            if time.monotonic() > deadline or self.xvfb.poll() is not None:
                os.close(read_end)
                raise WaitFailed("Xvfb did not report its display within 15 s")
            try:
                chunk = os.read(read_end, 16)
            except BlockingIOError:
                chunk = b""
            if chunk:
                number += chunk
            else:
                time.sleep(0.05)
        os.close(read_end)
        self.display = ":" + number.decode().strip()
        self.env["DISPLAY"] = self.display

    def _place_manifest(self):
        path = os.path.join(self.app_dir, "Dustvale.exe.manifest")
        with open(path, "wb") as f:
            f.write(manifest_text("Dustvale", architecture(self.exe)))
        _run(wine.tool("attrib", "+h", self.app_path("Dustvale.exe.manifest")), self.env, 60,
             check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def __exit__(self, kind, value, tb):
        if kind is not None and self.xvfb is not None and self.xvfb.poll() is None:
            try:
                self.screenshot("failure")
            except Exception as e:  # the failure itself matters more than its picture
                self.note(f"no failure screenshot: {e}")
        _teardown(self.root, self.prefix, self.xvfb.pid if self.xvfb else 0)
        for proc in (self.launcher, *self.later_programs, self.xvfb):
            if proc is not None:
                try:
                    proc.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    proc.kill()
        if self.reaper is not None:
            self.reaper.stdin.close()
            try:
                self.reaper.wait(timeout=60)
            except subprocess.TimeoutExpired:
                pass
        for log in (getattr(self, "log", None), getattr(self, "xvfb_log", None)):
            if log is not None:
                log.close()
        return False

    # -- what a person could see

    def note(self, text):
        print(f"[{self.name}] {text}", flush=True)

    def app_processes(self, exe_name="Dustvale.exe"):
        """Pids of the running program of this session (not the desktop that started it)."""
        wanted = self.app_path(exe_name)[2:].lower().encode()
        found = []
        for pid in _wine_processes(self.prefix):
            argv0 = _read_proc(pid, "cmdline").split(b"\0")[0]
            if argv0.lower().endswith(wanted):
                found.append(pid)
        return found

    def wait_for_app(self, timeout=30):
        pids = wait_until("Dustvale.exe to run", self.app_processes, timeout)
        self.note(f"Dustvale.exe runs (pid {pids[0]})")
        return pids

    def is_running(self):
        return bool(self.app_processes())

    def screenshot(self, label):
        """Saves the whole screen under the test's artifacts and returns the file's path."""
        self.shots += 1
        path = os.path.join(self.artifacts, f"{self.shots:02d}-{label}.png")
        _run(["import", "-display", self.display, "-window", "root", path], self.env, 20,
             check=True)
        return path

    def pixels(self, box, shot=None):
        """RGB triples of the box (x, y, width, height), row by row, from a fresh screen grab or
        the given screenshot."""
        x, y, w, h = box
        if shot is None:
            grab = subprocess.run(
                ["import", "-display", self.display, "-window", "root", "-crop",
                 f"{w}x{h}+{x}+{y}", "-depth", "8", "rgb:-"],
                env=self.env, capture_output=True, timeout=20, check=True).stdout
        else:
            grab = subprocess.run(
                ["convert", shot, "-crop", f"{w}x{h}+{x}+{y}", "-depth", "8", "rgb:-"],
                capture_output=True, timeout=20, check=True).stdout
        if len(grab) != w * h * 3:
            raise AssertionError(f"screen grab of {w}x{h} gave {len(grab)} bytes")
        return [tuple(grab[i:i + 3]) for i in range(0, len(grab), 3)]

    def tray_icon(self, shot=None):
        return self.pixels(tray_first_icon(self.dpi), shot)

    def taskbar_colour(self):
        return self.pixels(TASKBAR_SAMPLE + (1, 1))[0]

    def tray_shows_icon(self):
        """Whether something other than the plain taskbar shows where the first icon goes, both
        read from one grab (before the desktop is drawn, both are the bare screen's black)."""
        x, y, w, h = tray_first_icon(self.dpi)
        left = TASKBAR_SAMPLE[0]
        strip = self.pixels((left, y, x + w - left, h))
        width = x + w - left
        background = strip[(TASKBAR_SAMPLE[1] - y) * width]
        icon = [p for i, p in enumerate(strip) if i % width >= x - left]
        return share_of(icon, background, 8) < 0.9

    # -- the Trash, the freedesktop way (Wine's Recycle Bin)

    def trash(self, name, data=b"Dustvale end-to-end test file\n"):
        """Creates a file in HOME and moves it into the Trash with its .trashinfo."""
        original = os.path.join(self.home, name)
        with open(original, "wb") as f:
            f.write(data)
        stamp = datetime.datetime.now().strftime("%Y-%m-%dT%H:%M:%S")
        info = os.path.join(self.trash_info, name + ".trashinfo")
        with open(info, "w") as f:
            f.write(f"[Trash Info]\nPath={urllib.parse.quote(original)}\nDeletionDate={stamp}\n")
        os.rename(original, os.path.join(self.trash_files, name))

    def trash_many(self, items):
        """items files put straight into the Trash, each with its .trashinfo, as a file manager
        leaves them: a large bin in a second or two."""
        stamp = datetime.datetime.now().strftime("%Y-%m-%dT%H:%M:%S")
        for n in range(items):
            name = f"trashed{n:05d}.txt"
            with open(os.path.join(self.trash_files, name), "wb") as f:
                f.write(b"trashed in bulk by the tests\n")
            with open(os.path.join(self.trash_info, name + ".trashinfo"), "w") as f:
                f.write(f"[Trash Info]\nPath={self.home}/{name}\nDeletionDate={stamp}\n")

    def trash_folder(self, name, files):
        """Creates the folder `name` in HOME holding `files` ({relative path: bytes}) and moves
        it into the Trash with its .trashinfo, as a file manager does."""
        original = os.path.join(self.home, name)
        for relative, data in files.items():
            path = os.path.join(original, relative)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
        stamp = datetime.datetime.now().strftime("%Y-%m-%dT%H:%M:%S")
        with open(os.path.join(self.trash_info, name + ".trashinfo"), "w") as f:
            f.write(f"[Trash Info]\nPath={urllib.parse.quote(original)}\nDeletionDate={stamp}\n")
        os.rename(original, os.path.join(self.trash_files, name))

    def trashed(self):
        return sorted(os.listdir(self.trash_files))

    def debug_output(self):
        """The program's debug output lines so far (with wine_debug="warn+seh")."""
        self.log.flush()
        with open(os.path.join(self.artifacts, "wine.log"), "rb") as f:
            text = f.read().decode("utf-8", "replace")
        return [line for line in text.splitlines() if ":OutputDebugStringA " in line]

    def empty_trash_by_hand(self):
        for d in (self.trash_files, self.trash_info):
            for entry in os.listdir(d):
                os.unlink(os.path.join(d, entry))


# ---- reading pictures -----------------------------------------------------------------------

def close_to(a, b, tolerance=24):
    return all(abs(x - y) <= tolerance for x, y in zip(a, b))


def share_of(pixels, colour, tolerance=24):
    """The share of the pixels that are close to colour."""
    return sum(1 for p in pixels if close_to(p, colour, tolerance)) / len(pixels)


def composite(icon_pixels, background):
    """The icon's RGBA pixels drawn over a plain background, as the taskbar shows them."""
    out = []
    for r, g, b, a in icon_pixels:
        k = a / 255.0
        out.append(tuple(round(c * k + bg * (1 - k)) for c, bg in zip((r, g, b), background)))
    return out


def stretched(pixels, size, new_size):
    """A square picture's pixels scaled to new_size, each taking its nearest source pixel."""
    return [pixels[(y * size // new_size) * size + x * size // new_size]
            for y in range(new_size) for x in range(new_size)]


def difference(a, b):
    """Mean absolute difference per channel of two equally long pixel lists."""
    return sum(abs(x - y) for p, q in zip(a, b) for x, y in zip(p, q)) / (3 * len(a))


def solid_icon(rgb):
    """The bytes of a 16 x 16 single-colour icon."""
    return icofile.encode([(16, [(rgb[0], rgb[1], rgb[2], 255)] * 256)])


def built_in_picture(name, size=16):
    """The RGBA pixels of one of the program's own tray pictures at the given size."""
    for s, pixels in icofile.read(os.path.join(HERE, "..", "..", "res", name)):
        if s == size:
            return pixels
    raise LookupError(f"{name} has no {size}-pixel image")


def main(argv):
    if len(argv) in (3, 4) and argv[1] == "prepare-prefix":
        if len(argv) == 4:
            try:
                require_runnable(argv[3])
            except unittest.SkipTest:
                return 0
        prepare_template(os.path.abspath(argv[2]))
    elif len(argv) == 5 and argv[1] == "reap":
        _reap(argv[2], argv[3], argv[4])
    else:
        print(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
