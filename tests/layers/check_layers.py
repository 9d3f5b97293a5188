"""Checks that the program's folders include only the folders below them.

    /usr/bin/python3 tests/layers/check_layers.py [repository]

Reads every #include of the product's sources and fails, naming file, line and rule, when a
folder includes one it may not (one above it, or a sibling of its own layer), when a folder of
the product is missing from the layers below, and when anything but the Win32 side of the
platform and the entry point includes <windows.h> or another header of the Windows SDK.
"""

import os
import re
import sys

# Each folder with the folders it may include besides itself, from the top down:
#
#   main/                              the entry point, wWinMain
#   app/                               windows, menu, dialogs, start-up and termination
#   tray/  clean/  settings/           the features, side by side
#   common/                            text, path and file helpers, version, title
#   platform/sim/  platform/win32/     the platform's two sides
#   platform/                          the platform's interfaces
#   res/                               resource ids
PORTABLE_BELOW_APP = {"tray", "clean", "settings", "common", "platform", "res"}
MAY_INCLUDE = {
    "main": {"app", "platform/win32"} | PORTABLE_BELOW_APP,
    "app": PORTABLE_BELOW_APP,
    "tray": {"common", "platform", "res"},
    "clean": {"common", "platform", "res"},
    "settings": {"common", "platform", "res"},
    "common": {"platform", "res"},
    "platform/sim": {"platform", "res"},
    "platform/win32": {"platform", "res"},
    "platform": {"res"},
    "res": set(),
}

# Where the Windows SDK's headers may be included: nowhere else is Windows itself seen.
WINDOWS_ALLOWED = {"platform/win32", "main"}
WINDOWS_HEADERS = {
    "windows.h", "windowsx.h", "winbase.h", "winuser.h", "winreg.h", "wingdi.h", "winnt.h",
    "winver.h", "shellapi.h", "shlobj.h", "shlwapi.h", "shobjidl.h", "commctrl.h",
    "objbase.h", "ole2.h", "wtypes.h", "tchar.h", "winerror.h", "processthreadsapi.h",
}
WINDOWS_WRAPPER = "platform/win32/WindowsApi.h"

SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def folder_of(path):
    """The product folder that holds `path` (relative, with "/"), or None."""
    best = None
    for folder in MAY_INCLUDE:
        if (path == folder or path.startswith(folder + "/")) and (
                best is None or len(folder) > len(best)):
            best = folder
    return best


def check(root):
    problems = []
    scanned = 0
    for top in sorted({folder.split("/")[0] for folder in MAY_INCLUDE}):
        for dirpath, _, names in os.walk(os.path.join(root, top)):
            for name in sorted(names):
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                path = os.path.relpath(os.path.join(dirpath, name), root).replace(os.sep, "/")
                scanned += 1
                problems += check_file(root, path)
    # Every top-level folder with sources must have its place in the layers.
    for entry in sorted(os.listdir(root)):
        if entry.startswith(".") or entry in ("build", "tests", "demo", "bench", "scripts",
                                               "cmake", "docs"):
            continue
        full = os.path.join(root, entry)
        if os.path.isdir(full) and folder_of(entry) is None and any(
                n.endswith(SOURCE_SUFFIXES) for _, _, ns in os.walk(full) for n in ns):
            problems.append(f"{entry}/: a folder of sources with no place in the layers")
    if scanned == 0:
        problems.append(f"{root}: no sources found (is this the repository?)")
    return problems


def check_file(root, path):
    own = folder_of(path)
    problems = []
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as source:
        for number, line in enumerate(source, 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            kind, target = match.groups()
            where = f"{path}:{number}: #include {kind}{target}{'>' if kind == '<' else kind}"
            if kind == "<":
                if target.lower() in WINDOWS_HEADERS and own not in WINDOWS_ALLOWED:
                    problems.append(f"{where}: Windows itself only in platform/win32/ and main/")
                continue
            if "/" not in target:
                continue  # beside the file itself
            if target == WINDOWS_WRAPPER and own not in WINDOWS_ALLOWED:
                problems.append(f"{where}: Windows itself only in platform/win32/ and main/")
                continue
            other = folder_of(target)
            if other is None:
                problems.append(f"{where}: includes a folder outside the layers")
            elif other != own and other not in MAY_INCLUDE[own]:
                problems.append(f"{where}: {own}/ may not include {other}/")
    return problems


def main(argv):
    root = os.path.abspath(argv[1] if len(argv) > 1 else
                           os.path.join(os.path.dirname(__file__), "..", ".."))
    problems = check(root)
    for problem in problems:
        print(problem)
    if problems:
        print(f"layers: {len(problems)} include(s) against the layering")
        return 1
    print("layers: every include points down")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
