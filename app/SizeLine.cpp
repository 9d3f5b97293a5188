#include "app/SizeLine.h"

#include <string>

#include "common/ApplicationTitle.h"

namespace dustvale {

namespace {

constexpr std::uint64_t kMegabyte = 1024 * 1024;

Text Digits(std::uint64_t value) {
    const std::string digits = std::to_string(value);
    return Text(digits.begin(), digits.end());
}

}  // namespace

Text FormatCount(std::uint64_t count) { return Digits(count); }

Text FormatSize(std::uint64_t size) {
    return size < kMegabyte ? Digits(size) + u" bytes" : Digits(size / kMegabyte) + u" Mb";
}

Text FormatSizeLine(std::uint64_t size, std::uint64_t items) {
    return FormatSize(size) + u". (" + Digits(items) + u" items)";
}

Text FormatTooltip(std::uint64_t items) {
    return kApplicationTitle + u" (" + Digits(items) + u" items)";
}

}  // namespace dustvale
