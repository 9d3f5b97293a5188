#pragma once

// What the fuzz targets share: a check that stops the run on a broken invariant, and the ways
// the fuzzer's bytes become the program's UTF-16 texts.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/Types.h"

// A broken invariant is a finding: print what broke and abort, so libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                              \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            std::fprintf(stderr, "broken invariant: %s (%s:%d)\n", #condition, __FILE__,  \
                         __LINE__);                                                        \
            std::abort();                                                                  \
        }                                                                                  \
    } while (false)

namespace dustvale::fuzz {

// Two bytes per code unit, little-endian, as the shell's record holds text: every code unit
// can occur, NULs and lone surrogates included. An odd last byte is dropped.
inline Text Utf16FromBytes(const std::uint8_t* data, std::size_t size) {
    Text text;
    text.reserve(size / 2);
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    }
    return text;
}

// Letters and marks that paths meet beyond ASCII: Latin-1, Cyrillic, CJK, full-width
// punctuation, surrogates, the byte order mark, NUL.
inline constexpr char16_t kBeyondAscii[16] = {
    0x00E9, 0x00C9, 0x00DF, 0x00FF, 0x0432, 0x0412, 0x5C71, 0x7530,
    0xFF3C, 0xFF0A, 0x00A0, 0xD83D, 0xDCA9, 0xFEFF, 0x0000, 0x0130,
};

// One byte per code unit: ASCII stays itself, so a dictionary of path words works; the
// bytes 0x80 to 0xFF stand for the letters and marks above.
inline Text PathTextFromBytes(const std::uint8_t* data, std::size_t size) {
    Text text;
    text.reserve(size);
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t b = data[i];
        text.push_back(b < 0x80 ? static_cast<char16_t>(b) : kBeyondAscii[b & 0x0F]);
    }
    return text;
}

// The ASCII letters in upper case, everything else as it is.
inline Text AsciiUpper(const Text& text) {
    Text out = text;
    for (char16_t& c : out) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - (u'a' - u'A'));
    }
    return out;
}

}  // namespace dustvale::fuzz
