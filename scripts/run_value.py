#!/usr/bin/python3
"""Reads the value "Dustvale" of HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run from a Wine
prefix's registry file (user.reg), without starting Wine: what Dustvale's "Start with Windows"
box writes, and what its log-in entry asks before it starts anything.

    run_value.py PREFIX
        prints the value's data and exits 0; exits 1, saying so, when there is no such value;
        exits 2 when the prefix has no registry file to read

Wine keeps the registry in memory while the prefix runs, and writes it out every 30 seconds
and when its server ends, so the file is up to date at log-in, when nothing of the prefix runs.
"""

import os
import sys

RUN_KEY = r"Software\Microsoft\Windows\CurrentVersion\Run"
VALUE_NAME = "Dustvale"
ABSENT = 1
NO_REGISTRY = 2


def _unescape(text):
    """A quoted name or string of Wine's registry file, without its quotes."""
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if c != "\\" or i + 1 == len(text):
            out.append(c)
            i += 1
            continue
        following = text[i + 1]
        if following == "n":
            out.append("\n")
        elif following == "r":
            out.append("\r")
        elif following == "t":
            out.append("\t")
        elif following == "0":
            out.append("\0")
        elif following == "x":
            digits = ""
            while len(digits) < 4 and i + 2 + len(digits) < len(text) and \
                    text[i + 2 + len(digits)] in "0123456789abcdefABCDEF":
                digits += text[i + 2 + len(digits)]
            if digits:
                out.append(chr(int(digits, 16)))
                i += 2 + len(digits)
                continue
            out.append("x")
        else:
            out.append(following)
        i += 2
    return "".join(out)


def _split_quoted(line):
    """The quoted text at the start of line (unescaped) and what follows its closing quote, or
    None when line does not start with a complete quoted text."""
    if not line.startswith('"'):
        return None
    i = 1
    while i < len(line):
        if line[i] == "\\":
            i += 2
            continue
        if line[i] == '"':
            return _unescape(line[1:i]), line[i + 1:]
        i += 1
    return None


def _key_name(header):
    """The key of a section line "[Software\\\\Wine] 1700000000" as the registry names it."""
    close = header.rfind("]")
    return header[1:close].replace("\\\\", "\\")


def read_string_value(lines, key, name):
    """The data of the string value `name` under `key` (relative to the file's root), or None.
    Key and value names compare without regard to case, as Windows compares them."""
    in_key = False
    for raw in lines:
        line = raw.rstrip("\r\n")
        if line.startswith("["):
            in_key = _key_name(line).lower() == key.lower()
            continue
        if not in_key:
            continue
        split = _split_quoted(line)
        if split is None:
            continue
        value_name, rest = split
        if value_name.lower() != name.lower() or not rest.startswith("="):
            continue
        data = rest[1:]
        if data.startswith("str(2):"):   # REG_EXPAND_SZ
            data = data[len("str(2):"):]
        elif data.startswith("str:"):
            data = data[len("str:"):]
        quoted = _split_quoted(data)
        return quoted[0] if quoted is not None else None
    return None


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return NO_REGISTRY
    path = os.path.join(argv[1], "user.reg")
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            data = read_string_value(f, RUN_KEY, VALUE_NAME)
    except OSError as e:
        print(f"run_value.py: cannot read the registry of {argv[1]}: {e.strerror}",
              file=sys.stderr)
        return NO_REGISTRY
    if data is None:
        print(f'no Run value "{VALUE_NAME}" in {path}')
        return ABSENT
    print(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
