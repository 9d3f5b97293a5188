#include "settings/SettingsFile.h"

#include <charconv>
#include <cmath>
#include <memory>
#include <optional>
#include <string>

#include "common/FileExists.h"
#include "settings/SettingsText.h"

namespace dustvale {

namespace {

const Text kSettingsFileName = u"\\AutoClean.cfg";

// The backslash is always added, so an executable in a drive's root gives "C:\\AutoClean.cfg",
// which Windows reads as "C:\AutoClean.cfg".
Text SettingsPath(const Text& appFolder) { return appFolder + kSettingsFileName; }


bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

int HexDigit(char16_t c) {
    if (IsDigit(c)) return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

int OctalDigit(char16_t c) { return (c >= u'0' && c <= u'7') ? c - u'0' : -1; }

// "&H1F" / "&O17": an unsigned integer in base 16 or 8; nothing without a digit.
std::optional<double> ReadRadixInteger(const Text& s, std::size_t pos, int base) {
    const std::size_t first = pos;
    double value = 0;
    for (; pos < s.size(); ++pos) {
        const int digit = base == 16 ? HexDigit(s[pos]) : OctalDigit(s[pos]);
        if (digit < 0) break;
        value = value * base + digit;
    }
    if (pos == first) return std::nullopt;
    return value;
}

// Exponents beyond this make every non-zero mantissa overflow or underflow anyway.
constexpr long kExponentLimit = 100000;

std::optional<double> ReadDecimal(const Text& s) {
    std::size_t pos = 0;
    bool negative = false;
    if (pos < s.size() && (s[pos] == u'+' || s[pos] == u'-')) {
        negative = s[pos] == u'-';
        ++pos;
    }
    std::string whole, fraction;
    bool point = false;
    for (; pos < s.size(); ++pos) {
        const char16_t c = s[pos];
        if (IsDigit(c)) {
            (point ? fraction : whole) += static_cast<char>(c);
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (whole.empty() && fraction.empty()) {
        return std::nullopt;  // no leading number
    }
    long exponent = 0;
    if (pos < s.size() && (s[pos] == u'E' || s[pos] == u'e' || s[pos] == u'D' || s[pos] == u'd')) {
        std::size_t expPos = pos + 1;
        bool expNegative = false;
        if (expPos < s.size() && (s[expPos] == u'+' || s[expPos] == u'-')) {
            expNegative = s[expPos] == u'-';
            ++expPos;
        }
        for (; expPos < s.size() && IsDigit(s[expPos]); ++expPos) {
            if (exponent < kExponentLimit) exponent = exponent * 10 + (s[expPos] - u'0');
        }
        if (expNegative) exponent = -exponent;
    }
    const std::string number = (whole.empty() ? "0" : whole) + "." +
                               (fraction.empty() ? "0" : fraction) + "e" +
                               std::to_string(exponent);
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        // Too large or too small for a double: which one depends on where the first
        // significant digit lies.
        const std::size_t zeros = whole.find_first_not_of('0');
        const long magnitude =
            zeros != std::string::npos
                ? static_cast<long>(whole.size() - zeros) + exponent
                : exponent - static_cast<long>(fraction.find_first_not_of('0'));
        value = magnitude > 0 ? HUGE_VAL : 0.0;
    }
    return negative ? -value : value;
}

}  // namespace

Text ReadField(const Text& contents) {
    std::size_t pos = 0;
    while (pos < contents.size() && contents[pos] == u' ') ++pos;
    if (pos < contents.size() && contents[pos] == u'"') {
        const std::size_t close = contents.find(u'"', pos + 1);
        return contents.substr(pos + 1, close == Text::npos ? Text::npos : close - pos - 1);
    }
    const std::size_t end = contents.find_first_of(u",\r\n", pos);
    return contents.substr(pos, end == Text::npos ? Text::npos : end - pos);
}

std::optional<double> ReadNumber(const Text& text) {
    Text s;
    for (char16_t c : text) {
        if (!IsBlank(c)) s += c;
    }
    if (!s.empty() && s[0] == u'&') {
        if (s.size() > 1 && (s[1] == u'H' || s[1] == u'h')) return ReadRadixInteger(s, 2, 16);
        if (s.size() > 1 && (s[1] == u'O' || s[1] == u'o')) return ReadRadixInteger(s, 2, 8);
        return std::nullopt;
    }
    return ReadDecimal(s);
}

bool AutoEmptyDue(const Text& autoClean, std::uint64_t itemCount) {
    if (autoClean == kAutoCleanOff) {
        return false;
    }
    const std::optional<double> threshold = ReadNumber(autoClean);
    if (!threshold) return false;
    const auto count = static_cast<std::int32_t>(static_cast<std::uint32_t>(itemCount));
    return *threshold <= static_cast<double>(count);
}

Text LoadAutoClean(Platform& platform, NumberedFiles& files, const Text& appFolder) {
    const Text path = SettingsPath(appFolder);
    if (!FileExists(platform.files, path)) {
        return kAutoCleanOff;
    }
    std::optional<std::string> bytes;
    if (ScopedFile file{files, kSettingsFileNumber, path, FileMode::Input}) {
        bytes = file->ReadAll();
    }
    // A file that cannot be read, or holds no text at all (no bytes, or a byte-order mark
    // alone), has no first field: auto-empty stays off rather than emptying the bin on a
    // setting nobody stored.
    if (!bytes) {
        return kAutoCleanOff;
    }
    const Text contents = SettingsText(*bytes, platform.kernel);
    if (contents.empty()) {
        return kAutoCleanOff;
    }
    return ReadField(contents);
}

void SaveAutoClean(Platform& platform, NumberedFiles& files, const Text& appFolder,
                   const Text& value) {
    if (ScopedFile file{files, kSettingsFileNumber, SettingsPath(appFolder), FileMode::Output}) {
        file->Write(platform.kernel.ToAnsi(value) + "\r\n");
    }
}

}  // namespace dustvale
