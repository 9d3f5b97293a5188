// The numeric value of any threshold text, checked against the C library's own number
// reading: blanks, tabs and line feeds removed, the leading run of characters that can make
// up a decimal number (with D read as E) goes to strtod, which must give the same double, and
// exactly the texts whose leading run holds a digit before any exponent are numbers.
// &H and &O integers are checked digit by digit while a double holds them exactly.

#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "settings/SettingsFile.h"
#include "tests/fuzz/FuzzSupport.h"

namespace dustvale::fuzz {
namespace {

Text WithoutBlanks(const Text& text) {
    Text out;
    for (char16_t c : text) {
        if (c != u' ' && c != u'\t' && c != u'\n') out += c;
    }
    return out;
}

// The value strtod gives for the decimal number at the start of `s`; nothing when strtod
// finds no number there.
std::optional<double> ReferenceDecimal(const Text& s) {
    std::string ascii;
    for (char16_t c : s) {
        const bool numeric = (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.' ||
                             c == u'e' || c == u'E' || c == u'd' || c == u'D';
        if (!numeric) break;
        ascii += (c == u'd' || c == u'D') ? 'e' : static_cast<char>(c);
    }
    char* end = nullptr;
    const double value = std::strtod(ascii.c_str(), &end);
    if (end == ascii.c_str()) return std::nullopt;
    return value;
}

int DigitValue(char16_t c, int base) {
    int value = 99;
    if (c >= u'0' && c <= u'9') value = c - u'0';
    if (c >= u'a' && c <= u'f') value = c - u'a' + 10;
    if (c >= u'A' && c <= u'F') value = c - u'A' + 10;
    return value < base ? value : -1;
}

void CheckRadix(const std::optional<double>& read, const Text& s, int base) {
    std::size_t digits = 2;
    while (digits < s.size() && DigitValue(s[digits], base) >= 0) ++digits;
    FUZZ_CHECK(read.has_value() == (digits > 2));
    if (!read) return;
    const double value = *read;
    FUZZ_CHECK(value >= 0);
    FUZZ_CHECK(std::isinf(value) || value == std::floor(value));
    // Up to 2^52 every integer is exact, so the digits can be summed without rounding.
    const std::size_t exactDigits = base == 16 ? 13 : 17;
    if (digits - 2 <= exactDigits) {
        std::uint64_t expected = 0;
        for (std::size_t i = 2; i < digits; ++i) expected = expected * base + DigitValue(s[i], base);
        FUZZ_CHECK(value == static_cast<double>(expected));
    }
}

void CheckOne(const Text& text) {
    const std::optional<double> value = ReadNumber(text);
    FUZZ_CHECK(!value || !std::isnan(*value));

    const Text s = WithoutBlanks(text);
    if (!s.empty() && s[0] == u'&') {
        if (s.size() > 1 && (s[1] == u'H' || s[1] == u'h')) {
            CheckRadix(value, s, 16);
        } else if (s.size() > 1 && (s[1] == u'O' || s[1] == u'o')) {
            CheckRadix(value, s, 8);
        } else {
            FUZZ_CHECK(!value);
        }
        return;
    }
    const std::optional<double> expected = ReferenceDecimal(s);
    if (value != expected) {
        std::fprintf(stderr, "ReadNumber gave %.17g, strtod %.17g\n", value.value_or(-0.0),
                     expected.value_or(-0.0));
    }
    FUZZ_CHECK(value == expected);
}

}  // namespace
}  // namespace dustvale::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    dustvale::fuzz::CheckOne(dustvale::fuzz::PathTextFromBytes(data, size));
    return 0;
}
