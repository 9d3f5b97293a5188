#include "common/LetterCase.h"

namespace dustvale {
namespace {

// Ranges where upper and lower case alternate, each upper letter directly followed by its
// lower letter; the upper letters sit on even code units, or on odd ones when `upperIsOdd`.
struct AlternatingRange {
    char16_t first;
    char16_t last;
    bool upperIsOdd;
};

constexpr AlternatingRange kAlternating[] = {
    {0x0100, 0x012F, false},  // Latin Extended-A, first run
    {0x0132, 0x0137, false},
    {0x0139, 0x0148, true},
    {0x014A, 0x0177, false},
    {0x0179, 0x017E, true},
    {0x0460, 0x0481, false},  // Cyrillic historic letters
    {0x048A, 0x04BF, false},
    {0x04C1, 0x04CE, true},
    {0x04D0, 0x052F, false},
};

// Ranges where the lower-case letter lies at a fixed distance above its upper-case letter.
struct OffsetRange {
    char16_t firstUpper;
    char16_t lastUpper;
    char16_t offset;
};

constexpr OffsetRange kOffset[] = {
    {u'A', u'Z', 0x20},
    {0x00C0, 0x00D6, 0x20},  // Latin-1 letters (0xD7 is the multiplication sign)
    {0x00D8, 0x00DE, 0x20},
    {0x0391, 0x03A1, 0x20},  // Greek (0x03A2 is unassigned)
    {0x03A3, 0x03AB, 0x20},
    {0x0388, 0x038A, 0x25},  // Greek with tonos
    {0x0400, 0x040F, 0x50},  // Cyrillic
    {0x0410, 0x042F, 0x20},
    {0x0531, 0x0556, 0x30},  // Armenian
    {0xFF21, 0xFF3A, 0x20},  // full-width Latin
};

struct Pair {
    char16_t upper;
    char16_t lower;
};

constexpr Pair kPairs[] = {
    {0x0178, 0x00FF},  // Y with diaeresis
    {0x0386, 0x03AC},  // Greek alpha with tonos
    {0x038C, 0x03CC},
    {0x038E, 0x03CD},
    {0x038F, 0x03CE},
    {0x04C0, 0x04CF},  // Cyrillic palochka
};

}  // namespace

char16_t UpperLetter(char16_t c) {
    for (const auto& r : kOffset) {
        if (c >= r.firstUpper + r.offset && c <= r.lastUpper + r.offset) {
            return static_cast<char16_t>(c - r.offset);
        }
    }
    for (const auto& r : kAlternating) {
        if (c >= r.first && c <= r.last && ((c & 1) != 0) != r.upperIsOdd) {
            return static_cast<char16_t>(c - 1);  // the upper letter precedes its lower one
        }
    }
    for (const auto& p : kPairs) {
        if (c == p.lower) return p.upper;
    }
    if (c == 0x03C2) return 0x03A3;  // final sigma
    return c;
}

char16_t LowerLetter(char16_t c) {
    for (const auto& r : kOffset) {
        if (c >= r.firstUpper && c <= r.lastUpper) {
            return static_cast<char16_t>(c + r.offset);
        }
    }
    for (const auto& r : kAlternating) {
        if (c >= r.first && c <= r.last && ((c & 1) != 0) == r.upperIsOdd) {
            return static_cast<char16_t>(c + 1);
        }
    }
    for (const auto& p : kPairs) {
        if (c == p.upper) return p.lower;
    }
    return c;
}

}  // namespace dustvale
