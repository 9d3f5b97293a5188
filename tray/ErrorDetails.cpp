#include "tray/ErrorDetails.h"

#include <system_error>

namespace dustvale {

ErrorDetails DescribeError(const std::exception& error) {
    ErrorDetails details;
    if (const auto* system = dynamic_cast<const std::system_error*>(&error)) {
        details.number = system->code().value();
    } else {
        details.number = kGeneralFailureNumber;
    }
    details.description = Utf8ToText(error.what());
    return details;
}

Text Utf8ToText(std::string_view utf8) {
    constexpr char16_t kReplacement = u'\xFFFD';
    Text text;
    text.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t length = 0;
        char32_t code = 0;
        char32_t smallest = 0;
        if (lead < 0x80) {
            text.push_back(lead);
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, code = lead & 0x1F, smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, code = lead & 0x0F, smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, code = lead & 0x07, smallest = 0x10000;
        } else {
            text.push_back(kReplacement);
            ++i;
            continue;
        }
        std::size_t taken = 1;
        while (taken < length && i + taken < utf8.size() &&
               (static_cast<unsigned char>(utf8[i + taken]) & 0xC0) == 0x80) {
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + taken]) & 0x3F);
            ++taken;
        }
        i += taken;
        if (taken != length || code < smallest || code > 0x10FFFF ||
            (code >= 0xD800 && code <= 0xDFFF)) {
            text.push_back(kReplacement);
        } else if (code >= 0x10000) {
            code -= 0x10000;
            text.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            text.push_back(static_cast<char16_t>(code));
        }
    }
    return text;
}

}  // namespace dustvale
