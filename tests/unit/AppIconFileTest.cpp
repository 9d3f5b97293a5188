#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/IconFileCheck.h"
#include "app/PictureHolder.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimUserInterface.h"
#include "platform/sim/SimWindows.h"

namespace dustvale {
namespace {

// `value` in `bytes` bytes, little-endian as .ico files and bitmaps store it, or big-endian
// as PNG does.
std::string Le(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
    return out;
}
std::string Be(std::uint32_t value) {
    std::string out = Le(value, 4);
    std::reverse(out.begin(), out.end());
    return out;
}

std::string Cut(const std::string& bytes, std::size_t count) {
    return bytes.substr(0, bytes.size() - count);
}

// A bitmap image as an icon stores it: the header, then exactly the colour table, colour rows
// and mask rows its fields call for.
struct Bitmap {
    std::uint32_t headerSize = 40;
    std::uint32_t width = 16;
    std::uint32_t height = 32;
    std::uint32_t planes = 1;
    std::uint32_t bits = 32;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
};

std::string Image(const Bitmap& b) {
    std::string out = Le(b.headerSize, 4) + Le(b.width, 4) + Le(b.height, 4) + Le(b.planes, 2) +
                      Le(b.bits, 2) + Le(b.compression, 4) + std::string(12, '\0') +
                      Le(b.coloursUsed, 4) + Le(0, 4);
    if (b.headerSize > out.size() && b.headerSize <= 124) out.resize(b.headerSize, '\0');
    const std::uint64_t side = std::min<std::uint32_t>(b.width, 300);  // bogus ones bounded
    const std::uint64_t bits = std::min<std::uint32_t>(b.bits, 32);
    const std::uint64_t colours = b.coloursUsed != 0 ? b.coloursUsed : bits <= 8 ? 1u << bits : 0;
    out.append(colours * 4 + ((side * bits + 31) / 32 * 4 + (side + 31) / 32 * 4) * side, 'Z');
    return out;
}

// The start of a PNG: signature, IHDR chunk (CRC left at zero), some bytes of data.
struct Png {
    std::uint32_t width = 16;
    std::uint32_t height = 16;
    char depth = 8;
    char colourType = 6;
    char compression = 0;
    char interlace = 0;
    std::uint32_t chunkLength = 13;
};

std::string Image(const Png& p) {
    return std::string("\x89PNG\r\n\x1a\n", 8) + Be(p.chunkLength) + "IHDR" + Be(p.width) +
           Be(p.height) + std::string{p.depth, p.colourType, p.compression, '\0', p.interlace} +
           Le(0, 4) + std::string(20, '\x11');
}

// An .ico file holding the images in order after its directory; each entry's size bytes say
// `side` (0 for 256).
std::string IconFile(const std::vector<std::string>& images, std::uint32_t side = 16) {
    std::string out = Le(0, 2) + Le(1, 2) + Le(static_cast<std::uint32_t>(images.size()), 2);
    auto offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (const std::string& image : images) {
        const auto size = static_cast<std::uint32_t>(image.size());
        out += Le(side, 1) + Le(side, 1) + Le(0, 2) + Le(1, 2) + Le(32, 2) + Le(size, 4) +
               Le(offset, 4);
        offset += size;
    }
    for (const std::string& image : images) out += image;
    return out;
}

// The 162 bytes of the crash report: one image of 0x7fffffff by -0x7fffffff pixels.
std::string CraftedFile() {
    const Bitmap huge{.width = 0x7fffffff, .height = static_cast<std::uint32_t>(-0x7fffffff)};
    return IconFile({Image(huge).substr(0, 40) + std::string(100, '\0')});
}

TEST(IconFileCheck, SoundImagesPassWithTheirBytesAndDepth) {
    const struct {
        const char* what;
        std::string image;
        std::uint16_t bitCount;
    } cases[] = {
        {"32 bits", Image(Bitmap{}), 32},
        {"24 bits", Image(Bitmap{.bits = 24}), 24},
        {"16 bits", Image(Bitmap{.bits = 16}), 16},
        {"8 bits, 256 colours", Image(Bitmap{.bits = 8}), 8},
        {"4 bits, rows padded", Image(Bitmap{.width = 5, .height = 10, .bits = 4}), 4},
        {"1 bit", Image(Bitmap{.bits = 1}), 1},
        {"8 bits, 2 colours used", Image(Bitmap{.bits = 8, .coloursUsed = 2}), 8},
        {"32 bits with a colour table", Image(Bitmap{.coloursUsed = 256}), 32},
        {"1 x 1", Image(Bitmap{.width = 1, .height = 2}), 32},
        {"256 x 256", Image(Bitmap{.width = 256, .height = 512}), 32},
        {"V4 header", Image(Bitmap{.headerSize = 108}), 32},
        {"V5 header", Image(Bitmap{.headerSize = 124}), 32},
        {"bytes to spare", Image(Bitmap{}) + "spare", 32},
        {"PNG with alpha", Image(Png{}), 32},
        {"PNG without alpha", Image(Png{.colourType = 2}), 24},
        {"PNG of a palette", Image(Png{.width = 256, .height = 9, .depth = 4, .colourType = 3}), 24},
        {"PNG of grey, interlaced", Image(Png{.depth = 16, .colourType = 0, .interlace = 1}), 24},
        {"PNG header alone", Cut(Image(Png{}), 20), 32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file = IconFile({c.image}) + "trailing bytes are no concern";
        const auto images = CheckIconFile(file);
        ASSERT_TRUE(images.has_value());
        ASSERT_EQ(images->size(), 1u);
        EXPECT_EQ(images->front().bitCount, c.bitCount);
        EXPECT_EQ(images->front().width, 16);
        EXPECT_EQ(images->front().bytes.data(), file.data() + 22);  // a view of the bytes checked
        EXPECT_EQ(images->front().bytes.size(), c.image.size());
    }
}

TEST(IconFileCheck, AnImageThatClaimsMoreThanItHoldsOrIsNoIconIsRefused) {
    const struct {
        const char* what;
        std::string image;
    } cases[] = {
        {"no bytes", ""},
        {"shorter than its header", Image(Bitmap{}).substr(0, 39)},
        {"mask short by a byte", Cut(Image(Bitmap{}), 1)},
        {"V5 header, mask short", Cut(Image(Bitmap{.headerSize = 124}), 1)},
        {"colour table short", Image(Bitmap{.bits = 8}).substr(0, 40 + 255 * 4)},
        {"rows unpadded", Cut(Image(Bitmap{.width = 5, .height = 10, .bits = 4}), 4)},
        {"core header", Image(Bitmap{.headerSize = 12})},
        {"header size 41", Image(Bitmap{.headerSize = 41})},
        {"header size 2^31 - 1", Image(Bitmap{.headerSize = 0x7fffffff})},
        {"width 0", Image(Bitmap{.width = 0, .height = 0})},
        {"width 257", Image(Bitmap{.width = 257, .height = 514})},
        {"width negative", Image(Bitmap{.width = static_cast<std::uint32_t>(-16), .height = 32})},
        {"height not doubled", Image(Bitmap{.height = 16})},
        {"height top-down", Image(Bitmap{.height = static_cast<std::uint32_t>(-32)})},
        {"no plane", Image(Bitmap{.planes = 0})},
        {"two planes", Image(Bitmap{.planes = 2})},
        {"2 bits", Image(Bitmap{.bits = 2})},
        {"33 bits", Image(Bitmap{.bits = 33})},
        {"run-length compressed", Image(Bitmap{.bits = 8, .compression = 1})},
        {"bit fields", Image(Bitmap{.compression = 3}) + std::string(12, '\0')},
        {"3 colours of 1 bit", Image(Bitmap{.bits = 1, .coloursUsed = 3})},
        {"257 colours of 32 bits", Image(Bitmap{.coloursUsed = 257})},
        {"PNG cut in its header", Cut(Image(Png{}), 21)},
        {"PNG chunk of 12", Image(Png{.chunkLength = 12})},
        {"PNG width 0", Image(Png{.width = 0})},
        {"PNG height 257", Image(Png{.height = 257})},
        {"PNG width 2^31", Image(Png{.width = 0x80000000})},
        {"PNG RGB of 4 bits", Image(Png{.depth = 4, .colourType = 2})},
        {"PNG colour type 5", Image(Png{.colourType = 5})},
        {"PNG compression 1", Image(Png{.compression = 1})},
        {"PNG interlace 2", Image(Png{.interlace = 2})},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(CheckIconFile(IconFile({c.image}))) << c.what;
    }
}

TEST(IconFileCheck, TheDirectoryAndEveryImageMustFitTheFile) {
    const std::string small = Image(Bitmap{});
    const std::string sound = IconFile({small});
    auto patched = [&](std::size_t at, std::uint32_t value) {
        return sound.substr(0, at) + Le(value, 4) + sound.substr(at + 4);
    };
    std::string atTheLimit = sound;
    atTheLimit.resize(kIconFileLimit, '\0');
    const struct {
        const char* what;
        std::string file;
        bool passes;
    } cases[] = {
        {"sound", sound, true},
        {"two images", IconFile({small, Image(Bitmap{.width = 256, .height = 512})}, 0), true},
        {"padded to the limit", atTheLimit, true},
        {"a byte above the limit", atTheLimit + '\0', false},
        {"empty", "", false},
        {"header cut", sound.substr(0, 5), false},
        {"entry cut", sound.substr(0, 21), false},
        {"reserved word set", "\1" + sound.substr(1), false},
        {"a cursor", sound.substr(0, 2) + "\2" + sound.substr(3), false},
        {"no images", sound.substr(0, 4) + Le(0, 2) + sound.substr(6), false},
        {"image a byte beyond the end", patched(14, 1128 + 1), false},
        {"image offset beyond the end", patched(18, 1150), false},
        {"offset and size wrap around 2^32", patched(18, 0xFFFFFFFF), false},
        {"size wraps around 2^32", patched(14, 0xFFFFFFF0), false},
        // The system may choose any image for the tray: one bad image refuses the file.
        {"second image short", IconFile({small, Cut(small, 1)}), false},
        {"first image bad", IconFile({Image(Png{.width = 0}), small}), false},
        {"the crash report's file", CraftedFile(), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CheckIconFile(c.file).has_value(), c.passes) << c.what;
    }
    EXPECT_EQ(CraftedFile().size(), 162u);
    const auto two = CheckIconFile(cases[1].file);
    ASSERT_TRUE(two && two->size() == 2);
    EXPECT_EQ((*two)[1].width, 0);  // 256, as the directory writes it
    EXPECT_EQ((*two)[1].bytes.data(), cases[1].file.data() + 38 + small.size());
}

TEST(PictureHolder, OnlyAFileThatPassesTheCheckReplacesTheBuiltInPicture) {
    const Text path = u"C:\\App\\full.ico";
    const std::string sound = IconFile({Image(Bitmap{})});
    enum class Place { File, InUse, Folder, Nothing };
    const struct {
        const char* what;
        Place place;
        std::string bytes;
        bool replaced;
    } cases[] = {
        {"sound", Place::File, sound, true},
        {"the crash report's file", Place::File, CraftedFile(), false},
        {"above the limit", Place::File, sound + std::string(kIconFileLimit, '\0'), false},
        {"empty", Place::File, "", false},
        {"in use by another program", Place::InUse, sound, false},
        {"a folder", Place::Folder, "", false},
        {"missing", Place::Nothing, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::SimWindows sim;
        if (c.place == Place::File || c.place == Place::InUse) sim.files().AddFile(path, c.bytes);
        if (c.place == Place::InUse) sim.files().SetInUse(path, true);
        if (c.place == Place::Folder) sim.files().AddFolder(path);
        PictureHolder holder(sim.ui(), sim.files(), BuiltInPicture::TrayFull, 16);
        EXPECT_EQ(holder.LoadFile(path), c.replaced);
        EXPECT_EQ(holder.picture().Handle() != sim::SimUserInterface::kTrayFullHandle, c.replaced);
        EXPECT_EQ(sim.files().OpenFiles(), 0u);
    }
}

}  // namespace
}  // namespace dustvale
