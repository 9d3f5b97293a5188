#include "app/IconFileCheck.h"

#include <cstdint>

namespace dustvale {

namespace {

constexpr std::size_t kDirectoryHeaderSize = 6;
constexpr std::size_t kDirectoryEntrySize = 16;
constexpr std::uint32_t kIconType = 1;
constexpr std::uint32_t kLargestSide = 256;

constexpr std::string_view kPngSignature{"\x89PNG\r\n\x1a\n", 8};
constexpr std::uint32_t kPngHeaderLength = 13;
// The signature, the IHDR chunk's length and type, its 13 bytes and its CRC.
constexpr std::size_t kPngHeaderEnd = 8 + 8 + kPngHeaderLength + 4;
constexpr std::uint32_t kPngRgba = 6;

constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kV4HeaderSize = 108;
constexpr std::uint32_t kV5HeaderSize = 124;
constexpr std::uint32_t kUncompressed = 0;  // BI_RGB
constexpr std::uint64_t kColourEntrySize = 4;  // RGBQUAD

// The callers bound every position before they read.
std::uint32_t Byte(std::string_view bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]);
}
std::uint32_t Word(std::string_view bytes, std::size_t at) {
    return Byte(bytes, at) | Byte(bytes, at + 1) << 8;
}
std::uint32_t Dword(std::string_view bytes, std::size_t at) {
    return Word(bytes, at) | Word(bytes, at + 2) << 16;
}
std::uint32_t BigEndianDword(std::string_view bytes, std::size_t at) {
    return Byte(bytes, at) << 24 | Byte(bytes, at + 1) << 16 | Byte(bytes, at + 2) << 8 |
           Byte(bytes, at + 3);
}

bool IsSide(std::uint32_t side) { return side >= 1 && side <= kLargestSide; }

bool PngDepthFits(std::uint32_t colourType, std::uint32_t depth) {
    switch (colourType) {
        case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
        case 2:
        case 4:
        case 6: return depth == 8 || depth == 16;
        default: return false;
    }
}

// The colour depth of a sound PNG image.
std::optional<std::uint16_t> CheckPng(std::string_view image) {
    if (image.size() < kPngHeaderEnd) return std::nullopt;
    if (BigEndianDword(image, 8) != kPngHeaderLength || image.substr(12, 4) != "IHDR") {
        return std::nullopt;
    }
    const std::uint32_t width = BigEndianDword(image, 16);
    const std::uint32_t height = BigEndianDword(image, 20);
    const std::uint32_t depth = Byte(image, 24);
    const std::uint32_t colourType = Byte(image, 25);
    const std::uint32_t compression = Byte(image, 26);
    const std::uint32_t filter = Byte(image, 27);
    const std::uint32_t interlace = Byte(image, 28);
    if (!IsSide(width) || !IsSide(height) || !PngDepthFits(colourType, depth) ||
        compression != 0 || filter != 0 || interlace > 1) {
        return std::nullopt;
    }
    return colourType == kPngRgba ? 32 : 24;
}

// The colour depth of a sound bitmap image.
std::optional<std::uint16_t> CheckBitmap(std::string_view image) {
    if (image.size() < kInfoHeaderSize) return std::nullopt;
    const std::uint32_t headerSize = Dword(image, 0);
    const std::uint32_t width = Dword(image, 4);
    const std::uint32_t height = Dword(image, 8);
    const std::uint32_t planes = Word(image, 12);
    const std::uint32_t bits = Word(image, 14);
    const std::uint32_t compression = Dword(image, 16);
    const std::uint32_t coloursUsed = Dword(image, 32);
    if (headerSize != kInfoHeaderSize && headerSize != kV4HeaderSize &&
        headerSize != kV5HeaderSize) {
        return std::nullopt;
    }
    // Width and height are signed in the header: a negative one reads as above 2^31 here.
    if (!IsSide(width) || height != 2 * width || planes != 1 || compression != kUncompressed) {
        return std::nullopt;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        return std::nullopt;
    }
    const std::uint32_t mostColours = bits <= 8 ? 1u << bits : 256;
    if (coloursUsed > mostColours) return std::nullopt;
    const std::uint64_t colours = coloursUsed != 0 ? coloursUsed : (bits <= 8 ? mostColours : 0);

    const std::uint64_t side = width;
    const std::uint64_t colourRow = (side * bits + 31) / 32 * 4;
    const std::uint64_t maskRow = (side + 31) / 32 * 4;
    const std::uint64_t needed =
        headerSize + colours * kColourEntrySize + (colourRow + maskRow) * side;
    if (needed > image.size()) return std::nullopt;
    return static_cast<std::uint16_t>(bits);
}

}  // namespace

std::optional<std::vector<IconImage>> CheckIconFile(std::string_view bytes) {
    if (bytes.size() > kIconFileLimit || bytes.size() < kDirectoryHeaderSize) return std::nullopt;
    const std::size_t count = Word(bytes, 4);
    if (Word(bytes, 0) != 0 || Word(bytes, 2) != kIconType || count == 0) return std::nullopt;
    if (kDirectoryHeaderSize + count * kDirectoryEntrySize > bytes.size()) return std::nullopt;

    std::vector<IconImage> images;
    images.reserve(count);
    for (std::size_t n = 0; n < count; ++n) {
        const std::size_t entry = kDirectoryHeaderSize + n * kDirectoryEntrySize;
        const std::uint64_t size = Dword(bytes, entry + 8);
        const std::uint64_t offset = Dword(bytes, entry + 12);
        if (offset + size > bytes.size()) return std::nullopt;
        const std::string_view image = bytes.substr(offset, size);

        const std::optional<std::uint16_t> bitCount =
            image.substr(0, kPngSignature.size()) == kPngSignature ? CheckPng(image)
                                                                   : CheckBitmap(image);
        if (!bitCount) return std::nullopt;
        images.push_back(IconImage{static_cast<std::uint8_t>(Byte(bytes, entry)),
                                   static_cast<std::uint8_t>(Byte(bytes, entry + 1)), *bitCount,
                                   image});
    }
    return images;
}

}  // namespace dustvale
