#pragma once

// Small text rules shared by the cleaning routines and the manifest writer: trimming,
// cutting a platform-filled name at its NUL, the trailing-character rules for paths and the
// case-insensitive comparisons of names.

#include <string_view>

#include "platform/Types.h"

namespace dustvale {

// `s` without its leading and trailing space characters (U+0020 only; tabs stay).
Text Trim(std::u16string_view s);

// The characters of `s` before its first NUL; `s` itself when it holds none.
Text TrimAtNull(std::u16string_view s);

// Trim(s), followed by `c` unless it already ends with `c` (case-insensitive). Looks at one
// character only: a path ending in two backslashes keeps both.
Text EnsureTrailing(std::u16string_view s, std::u16string_view c);

// Trim(s) without its last character when that equals `c` (case-insensitive).
Text RemoveTrailing(std::u16string_view s, std::u16string_view c);

bool EqualsNoCase(std::u16string_view a, std::u16string_view b);
bool EndsWithNoCase(std::u16string_view s, std::u16string_view suffix);

Text ToUpperText(std::u16string_view s);

// The first letter of each space-separated word in upper case, every other letter in lower
// case ("documents and SETTINGS" gives "Documents And Settings").
Text ProperCase(std::u16string_view s);

}  // namespace dustvale
