#!/usr/bin/python3
"""Which Wine runs which program: the one place that decides.

Debian's wrappers (/usr/bin/wine, wineserver, wineboot and the other tools) pick the 32-bit
loader whenever wine32 is installed, even on machines whose kernel runs no 32-bit programs at
all. Here a PE32+ file runs under the 64-bit loader and a PE32 file under the 32-bit one, and
Wine's own programs (wineboot, reg, attrib, explorer, cmd, ...) run as 64-bit programs. The
prefixes are 64-bit ones, which run programs of both kinds.

    wine.py run EXE [ARG ...]    runs a Windows program with the loader its file needs; when this
                                 machine cannot run it, prints why and exits with 77 (a skip)
    wine.py tool NAME [ARG ...]  runs one of Wine's own programs with the 64-bit loader;
                                 "wineserver" is the 64-bit server itself
    wine.py can-run-32           exits 0 when 32-bit programs can run here, else prints why
                                 and exits 1
    wine.py loader EXE           prints the loader that runs EXE
    wine.py add-fonts PREFIX     gives a new prefix the fonts Wine itself would not find
    wine.py glibc-tunables       prints GLIBC_TUNABLES for Dustvale's Wine processes:
                                 MEMORY_TUNABLES, then the environment's own

DUSTVALE_NO_WINE32=1 makes this machine count as one that runs no 32-bit programs, so that what
depends on them can be seen skipped on any machine.
"""

import os
import shutil
import struct
import subprocess
import sys

WINE_LIB = "/usr/lib/wine"
WINE_FONTS = "/usr/share/wine/fonts"
# Debian's Wine 8 never looks into its own font folder, only into the prefix's Fonts folder and
# the system's: without Marlett, the title bars' buttons show the letters "0 1 r". Wine's other
# fonts stay out, so that dialogs keep the text metrics the end-to-end tests measure.
PREFIX_FONTS = ("marlett.ttf",)
# The exit code that CTest is told means "skipped" (the Automake convention).
SKIP_EXIT_CODE = 77
SKIP_PREFIX = "skipped: "
NO_32BIT_KERNEL = "this machine's kernel runs no 32-bit programs"

PE32 = 0x10B
PE32_PLUS = 0x20B

# Wine reads a folder it lists whole into its Linux-side heap, about 100 bytes a name, and frees
# it when the listing's handle closes. glibc then raises its thresholds to the largest block
# freed, and keeps the memory of later listings: 9 MB more after counting a Trash of 100,000
# items. A fixed threshold (which fixes the trimming one too) hands that memory back to Linux.
# One tunable is enough: of a longer list, the programs Wine starts were seen to get this one
# alone.
MEMORY_TUNABLES = "glibc.malloc.mmap_threshold=131072"


class CannotRun(Exception):
    """This machine cannot run the program; the message says why."""


def _installed(name):
    path = os.path.join(WINE_LIB, name)
    if os.access(path, os.X_OK):
        return path
    return None


def wine64():
    """The 64-bit loader, which must work on every machine Dustvale is built on."""
    path = _installed("wine64") or shutil.which("wine64")
    if path is None:
        raise CannotRun("64-bit Wine is not installed (Debian package wine64)")
    return path


def wineserver():
    """The 64-bit server, the one a 64-bit prefix needs."""
    path = _installed("wineserver64") or shutil.which("wineserver64")
    if path is None:
        raise CannotRun("the 64-bit Wine server is not installed (Debian package wine64)")
    return path


def why_no_32bit():
    """None when this machine runs 32-bit Windows programs, else the reason it does not."""
    if os.environ.get("DUSTVALE_NO_WINE32") == "1":
        return NO_32BIT_KERNEL + " (DUSTVALE_NO_WINE32=1 says so)"
    loader = _installed("wine")
    if loader is None:
        return "32-bit Wine is not installed (Debian package wine32:i386)"
    # Ask the kernel: a machine without 32-bit support refuses to execute the loader at all.
    try:
        done = subprocess.run([loader, "--version"], stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=60)
    except OSError:
        return NO_32BIT_KERNEL
    except subprocess.TimeoutExpired:
        return "the 32-bit Wine loader did not answer within 60 s"
    if done.returncode != 0 or not done.stdout.startswith(b"wine-"):
        return f"the 32-bit Wine loader does not start ({done.stderr.decode(errors='replace').strip()})"
    return None


def pe_kind(exe):
    """PE32 or PE32_PLUS: the optional header's magic of a Windows executable."""
    with open(exe, "rb") as f:
        head = f.read(4096)
    if len(head) < 0x40 or head[:2] != b"MZ":
        raise ValueError(f"{exe} is not a Windows executable")
    offset = struct.unpack_from("<I", head, 0x3C)[0]
    if offset + 26 > len(head) or head[offset:offset + 4] != b"PE\0\0":
        raise ValueError(f"{exe} has no PE header")
    magic = struct.unpack_from("<H", head, offset + 24)[0]
    if magic not in (PE32, PE32_PLUS):
        raise ValueError(f"{exe} has an unknown optional header (magic {magic:#x})")
    return magic


def loader_for(exe):
    """The loader that runs exe; CannotRun when this machine cannot."""
    if pe_kind(exe) == PE32_PLUS:
        return wine64()
    reason = why_no_32bit()
    if reason is not None:
        raise CannotRun(reason)
    return os.path.join(WINE_LIB, "wine")


def command(exe, *args):
    """The command line that runs a Windows program given by its Linux path."""
    return [loader_for(exe), exe, *args]


def tool(name, *args):
    """The command line that runs one of Wine's own programs (64-bit)."""
    if name == "wineserver":
        return [wineserver(), *args]
    return [wine64(), name, *args]


def add_fonts(prefix):
    """Copies the fonts of PREFIX_FONTS that Wine ships into the prefix's C:\\windows\\Fonts."""
    fonts = os.path.join(prefix, "drive_c", "windows", "Fonts")
    os.makedirs(fonts, exist_ok=True)
    for name in PREFIX_FONTS:
        source = os.path.join(WINE_FONTS, name)
        if os.path.exists(source):
            shutil.copyfile(source, os.path.join(fonts, name))


def glibc_tunables(existing):
    """GLIBC_TUNABLES for a Wine process: MEMORY_TUNABLES, then `existing` (the environment's,
    or None)."""
    return f"{MEMORY_TUNABLES}:{existing}" if existing else MEMORY_TUNABLES


def version():
    """The 64-bit loader's version, e.g. "wine-8.0 (Debian 8.0~repack-4)"."""
    return subprocess.run([wine64(), "--version"], capture_output=True, text=True,
                          stdin=subprocess.DEVNULL, timeout=60).stdout.strip()


def _exec(argv):
    sys.stdout.flush()
    os.execv(argv[0], argv)


def main(argv):
    if len(argv) >= 3 and argv[1] == "run":
        try:
            _exec(command(*argv[2:]))
        except CannotRun as reason:
            print(SKIP_PREFIX + str(reason), flush=True)
            return SKIP_EXIT_CODE
    if len(argv) >= 3 and argv[1] == "tool":
        try:
            _exec(tool(*argv[2:]))
        except CannotRun as reason:
            print(f"wine.py: {reason}", file=sys.stderr)
            return 1
    if len(argv) == 2 and argv[1] == "can-run-32":
        reason = why_no_32bit()
        if reason is None:
            return 0
        print(reason)
        return 1
    if len(argv) == 2 and argv[1] == "glibc-tunables":
        print(glibc_tunables(os.environ.get("GLIBC_TUNABLES")))
        return 0
    if len(argv) == 3 and argv[1] == "add-fonts":
        add_fonts(argv[2])
        return 0
    if len(argv) == 3 and argv[1] == "loader":
        try:
            print(loader_for(argv[2]))
        except CannotRun as reason:
            print(f"wine.py: {reason}", file=sys.stderr)
            return 1
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
