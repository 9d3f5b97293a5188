#pragma once

// Upper and lower case of single UTF-16 code units, independent of any locale, for the
// case-insensitive name comparisons and the proper case of folder names. Covers the Latin,
// Greek and Cyrillic letters that names use; letters without case come back unchanged.

namespace dustvale {

char16_t UpperLetter(char16_t c);
char16_t LowerLetter(char16_t c);

}  // namespace dustvale
