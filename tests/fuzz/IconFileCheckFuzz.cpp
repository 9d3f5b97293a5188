// Any bytes as an .ico file. Whatever the icon check accepts must be safe to decode: every
// image lies inside the bytes, a decoder reading an image by its own header's sizes stays
// inside the image, the depth and directory size reported are the file's own, trailing bytes
// change nothing, and the bytes cut one short of the furthest image are refused.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/IconFileCheck.h"
#include "tests/fuzz/FuzzSupport.h"

namespace dustvale::fuzz {
namespace {

std::uint32_t Le(const std::uint8_t* p, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
    return value;
}

std::uint32_t Be(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// Reads the image as the system's decoder does, from a buffer of exactly its size (so that
// AddressSanitizer sees a read past it), and returns the depth it finds.
std::uint32_t DecodeLikeTheSystem(std::string_view bytes) {
    const std::size_t size = bytes.size();
    const std::unique_ptr<std::uint8_t[]> image(new std::uint8_t[size]);
    for (std::size_t i = 0; i < size; ++i) image[i] = static_cast<std::uint8_t>(bytes[i]);

    if (size >= 8 && Be(image.get()) == 0x89504E47u) {  // "\x89PNG"
        const std::uint32_t width = Be(&image[16]), height = Be(&image[20]);
        FUZZ_CHECK(width >= 1 && width <= 256 && height >= 1 && height <= 256);
        return image[25] == 6 ? 32 : 24;
    }
    const std::uint32_t headerSize = Le(&image[0], 4);
    const std::int64_t width = static_cast<std::int32_t>(Le(&image[4], 4));
    const std::int64_t height = static_cast<std::int32_t>(Le(&image[8], 4)) / 2;
    const std::uint32_t bits = Le(&image[14], 2);
    std::uint64_t colours = Le(&image[32], 4);
    FUZZ_CHECK(width >= 1 && width <= 256 && height == width);
    // The colour table and the rows as a bitmap decoder sizes them.
    if (colours > 256) colours = 256;
    if (colours == 0 && bits <= 8) colours = std::uint64_t{1} << bits;
    const std::uint64_t table = headerSize + colours * 4;
    const std::uint64_t colourRows = ((width * bits + 31) / 8 & ~std::uint64_t{3}) * height;
    const std::uint64_t maskRows = ((width + 31) / 8 & ~std::uint64_t{3}) * height;
    const std::uint64_t end = table + colourRows + maskRows;
    FUZZ_CHECK(end <= size);
    volatile std::uint8_t last = image[end - 1];  // the mask's last byte
    static_cast<void>(last);
    return bits;
}

void CheckOne(const std::string& bytes) {
    const std::optional<std::vector<IconImage>> images = CheckIconFile(bytes);
    if (!images) return;

    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    FUZZ_CHECK(bytes.size() <= kIconFileLimit);
    FUZZ_CHECK(!images->empty() && images->size() == Le(&data[4], 2));
    std::size_t furthest = 0;
    for (std::size_t n = 0; n < images->size(); ++n) {
        const IconImage& image = (*images)[n];
        const std::size_t offset = static_cast<std::size_t>(image.bytes.data() - bytes.data());
        FUZZ_CHECK(image.bytes.data() >= bytes.data());
        FUZZ_CHECK(offset + image.bytes.size() <= bytes.size());
        const std::uint8_t* entry = &data[6 + 16 * n];
        FUZZ_CHECK(offset == Le(entry + 12, 4) && image.bytes.size() == Le(entry + 8, 4));
        FUZZ_CHECK(image.width == entry[0] && image.height == entry[1]);
        FUZZ_CHECK(image.bitCount == DecodeLikeTheSystem(image.bytes));
        if (offset + image.bytes.size() > furthest) furthest = offset + image.bytes.size();
    }

    // Bytes after the images are never read.
    if (bytes.size() < kIconFileLimit) {
        const std::string longer = bytes + '\x5A';
        const auto again = CheckIconFile(longer);
        FUZZ_CHECK(again && again->size() == images->size());
        for (std::size_t n = 0; n < images->size(); ++n) {
            FUZZ_CHECK((*again)[n].bytes.data() - longer.data() ==
                       (*images)[n].bytes.data() - bytes.data());
            FUZZ_CHECK((*again)[n].bytes == (*images)[n].bytes);
        }
    }
    // An image cut short is refused, however it is cut.
    FUZZ_CHECK(!CheckIconFile(std::string_view(bytes).substr(0, furthest - 1)));
}

}  // namespace
}  // namespace dustvale::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    dustvale::fuzz::CheckOne(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
