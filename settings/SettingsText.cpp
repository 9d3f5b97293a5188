#include "settings/SettingsText.h"

namespace dustvale {

namespace {

constexpr std::string_view kUtf8Mark{"\xEF\xBB\xBF", 3};
constexpr std::string_view kUtf16LittleEndianMark{"\xFF\xFE", 2};
constexpr std::string_view kUtf16BigEndianMark{"\xFE\xFF", 2};

// The code units as stored, lone surrogates and NULs included: the field reading copes with
// any of them.
Text Utf16(std::string_view bytes, bool bigEndian) {
    Text text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned first = static_cast<unsigned char>(bytes[i]);
        const unsigned second = static_cast<unsigned char>(bytes[i + 1]);
        text.push_back(
            static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first));
    }
    return text;
}

}  // namespace

Text SettingsText(std::string_view bytes, Kernel& kernel) {
    if (bytes.starts_with(kUtf16LittleEndianMark)) {
        return Utf16(bytes.substr(kUtf16LittleEndianMark.size()), false);
    }
    if (bytes.starts_with(kUtf16BigEndianMark)) {
        return Utf16(bytes.substr(kUtf16BigEndianMark.size()), true);
    }
    if (bytes.starts_with(kUtf8Mark)) bytes.remove_prefix(kUtf8Mark.size());
    return kernel.FromAnsi(bytes);
}

}  // namespace dustvale
