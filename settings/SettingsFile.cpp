#include "settings/SettingsFile.h"

#include <limits>
#include <optional>
#include <string>

#include "common/FileExists.h"
#include "settings/SettingsText.h"

namespace dustvale {

namespace {

const Text kSettingsFileName = u"\\AutoClean.cfg";

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace

// The backslash is always added, so an executable in a drive's root gives "C:\\AutoClean.cfg",
// which Windows reads as "C:\AutoClean.cfg".
Text SettingsFilePath(const Text& appFolder) { return appFolder + kSettingsFileName; }

Text FirstLine(const Text& contents) {
    return contents.substr(0, contents.find_first_of(u"\r\n"));
}

std::optional<std::uint64_t> ReadThreshold(const Text& text) {
    std::size_t first = 0;
    std::size_t end = text.size();
    while (first < end && IsBlank(text[first])) ++first;
    while (end > first && IsBlank(text[end - 1])) --end;
    if (first == end) return std::nullopt;
    constexpr std::uint64_t kLargest = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t value = 0;
    for (std::size_t i = first; i < end; ++i) {
        if (!IsDigit(text[i])) return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(text[i] - u'0');
        value = value > (kLargest - digit) / 10 ? kLargest : value * 10 + digit;
    }
    return value;
}

bool AutoEmptyDue(const Text& autoClean, std::uint64_t itemCount) {
    if (autoClean == kAutoCleanOff) return false;
    const std::optional<std::uint64_t> threshold = ReadThreshold(autoClean);
    if (!threshold) return false;
    const auto count = static_cast<std::int32_t>(static_cast<std::uint32_t>(itemCount));
    return count >= 0 && *threshold <= static_cast<std::uint64_t>(count);
}

Text LoadAutoClean(Platform& platform, NumberedFiles& files, const Text& appFolder) {
    const Text path = SettingsFilePath(appFolder);
    if (!FileExists(platform.files, path)) {
        return kAutoCleanOff;
    }
    std::optional<std::string> bytes;
    if (ScopedFile file{files, kSettingsFileNumber, path, FileMode::Input}) {
        bytes = file->Read(kSettingsReadLimit);
    }
    // A file that cannot be read, or holds no text at all (no bytes, or a byte-order mark
    // alone), has no first line: auto-empty stays off rather than emptying the bin on a
    // setting nobody stored.
    if (!bytes) {
        return kAutoCleanOff;
    }
    const Text contents = SettingsText(*bytes, platform.kernel);
    if (contents.empty()) {
        return kAutoCleanOff;
    }
    return FirstLine(contents);
}

bool SaveAutoClean(Platform& platform, NumberedFiles& files, const Text& appFolder,
                   const Text& value) {
    ScopedFile file{files, kSettingsFileNumber, SettingsFilePath(appFolder), FileMode::Output};
    return file && file->Write(platform.kernel.ToAnsi(value) + "\r\n");
}

}  // namespace dustvale
