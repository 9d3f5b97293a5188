#include "settings/RemovalSettings.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <string_view>

#include "common/FileExists.h"

namespace dustvale {

namespace {

const Text kFileName = u"\\Dustvale.ini";
// The number the file is opened as among the program's numbered files: the lowest after the
// auto-empty file's.
constexpr int kFileNumber = 2;
constexpr std::size_t kReadLimit = 64 * 1024;
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

constexpr std::string_view kEmptyOldItems = "EmptyOldItems";
constexpr std::string_view kOldItemDays = "EmptyOldItemsDays";
constexpr std::string_view kKeepBinUnderSize = "KeepBinUnderSize";
constexpr std::string_view kBinSizeLimitMb = "BinSizeLimitMB";
constexpr std::string_view kAskBeforeEmptying = "AskBeforeEmptying";
constexpr std::string_view kTellAutomaticRemovals = "TellAutomaticRemovals";
constexpr std::array<std::string_view, 6> kKeys = {kEmptyOldItems,     kOldItemDays,
                                                   kKeepBinUnderSize,  kBinSizeLimitMb,
                                                   kAskBeforeEmptying, kTellAutomaticRemovals};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string_view Trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// A line's key and value, if it has the form key=value.
struct KeyValue {
    std::string_view key;
    std::string_view value;
};
std::optional<KeyValue> Split(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return KeyValue{Trimmed(line.substr(0, equals)), Trimmed(line.substr(equals + 1))};
}

std::optional<bool> Switch(std::string_view value) {
    if (EqualsNoCase(value, "on")) return true;
    if (EqualsNoCase(value, "off")) return false;
    return std::nullopt;
}

std::optional<std::uint64_t> Number(std::string_view value, std::uint64_t least,
                                    std::uint64_t most) {
    if (value.empty() || value.size() > 19) return std::nullopt;
    std::uint64_t number = 0;
    for (const char c : value) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (number < least || number > most) return std::nullopt;
    return number;
}

std::string OnOff(bool on) { return on ? "on" : "off"; }

std::string ValueOf(std::string_view key, const RemovalSettings& s) {
    if (key == kEmptyOldItems) return OnOff(s.emptyOldItems);
    if (key == kOldItemDays) return std::to_string(s.oldItemDays);
    if (key == kKeepBinUnderSize) return OnOff(s.keepBinUnderSize);
    if (key == kBinSizeLimitMb) return std::to_string(s.binSizeLimitMb);
    if (key == kAskBeforeEmptying) return OnOff(s.askBeforeEmptying);
    return OnOff(s.tellAutomaticRemovals);
}

}  // namespace

Text RemovalSettingsPath(const Text& appFolder) { return appFolder + kFileName; }

RemovalSettingsFile RemovalSettingsFile::Parse(std::string_view bytes) {
    RemovalSettingsFile file;
    if (bytes.starts_with(kUtf8Mark)) {
        file.byteOrderMark_ = true;
        bytes.remove_prefix(kUtf8Mark.size());
    }
    // What the file says of each key, the last line that names it counting. A rule whose
    // number is missing or malformed is off, whatever its switch says.
    std::optional<bool> emptyOld, keepUnder, ask, tell;
    std::optional<std::uint64_t> days, limit;
    bool daysBad = false;
    bool limitBad = false;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find_first_of("\r\n");
        std::string_view line = bytes.substr(0, end);
        file.lines_.emplace_back(line);
        if (end == std::string_view::npos) {
            bytes = {};
        } else {
            bytes.remove_prefix(end + (bytes.substr(end, 2) == "\r\n" ? 2 : 1));
        }
        const std::optional<KeyValue> pair = Split(line);
        if (!pair) continue;
        if (EqualsNoCase(pair->key, kEmptyOldItems)) emptyOld = Switch(pair->value).value_or(false);
        if (EqualsNoCase(pair->key, kKeepBinUnderSize)) keepUnder = Switch(pair->value).value_or(false);
        if (EqualsNoCase(pair->key, kAskBeforeEmptying)) ask = Switch(pair->value).value_or(false);
        if (EqualsNoCase(pair->key, kTellAutomaticRemovals)) tell = Switch(pair->value).value_or(false);
        if (EqualsNoCase(pair->key, kOldItemDays)) {
            days = Number(pair->value, kMinOldItemDays, kMaxOldItemDays);
            daysBad = !days;
        }
        if (EqualsNoCase(pair->key, kBinSizeLimitMb)) {
            limit = Number(pair->value, kMinBinSizeLimitMb, kMaxBinSizeLimitMb);
            limitBad = !limit;
        }
    }
    RemovalSettings& s = file.settings_;
    if (days) s.oldItemDays = static_cast<std::uint32_t>(*days);
    if (limit) s.binSizeLimitMb = *limit;
    s.emptyOldItems = emptyOld.value_or(false) && !daysBad;
    s.keepBinUnderSize = keepUnder.value_or(false) && !limitBad;
    s.askBeforeEmptying = ask.value_or(false);
    s.tellAutomaticRemovals = tell.value_or(false);
    return file;
}

RemovalSettingsFile RemovalSettingsFile::Load(Platform& platform, NumberedFiles& files,
                                              const Text& appFolder) {
    const Text path = RemovalSettingsPath(appFolder);
    if (!FileExists(platform.files, path)) return {};
    std::optional<std::string> bytes;
    if (ScopedFile file{files, kFileNumber, path, FileMode::Input}) {
        bytes = file->Read(kReadLimit);
    }
    return bytes ? Parse(*bytes) : RemovalSettingsFile{};
}

std::string RemovalSettingsFile::Render(const RemovalSettings& settings) const {
    std::string out = byteOrderMark_ ? std::string(kUtf8Mark) : std::string();
    std::array<bool, kKeys.size()> written{};
    for (const std::string& line : lines_) {
        const std::optional<KeyValue> pair = Split(line);
        const auto known = pair ? std::find_if(kKeys.begin(), kKeys.end(),
                                               [&](std::string_view k) { return EqualsNoCase(pair->key, k); })
                                : kKeys.end();
        if (known == kKeys.end()) {
            out += line;
        } else {
            const auto index = static_cast<std::size_t>(known - kKeys.begin());
            // A key named twice keeps one line: the first takes the value, later ones go.
            if (written[index]) continue;
            written[index] = true;
            out += std::string(*known) + "=" + ValueOf(*known, settings);
        }
        out += "\r\n";
    }
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        if (!written[i]) out += std::string(kKeys[i]) + "=" + ValueOf(kKeys[i], settings) + "\r\n";
    }
    return out;
}

bool RemovalSettingsFile::Save(NumberedFiles& files, const Text& appFolder,
                               const RemovalSettings& settings) {
    const std::string bytes = Render(settings);
    ScopedFile file{files, kFileNumber, RemovalSettingsPath(appFolder), FileMode::Output};
    if (!file || !file->Write(bytes)) return false;
    *this = Parse(bytes);
    return true;
}

}  // namespace dustvale
