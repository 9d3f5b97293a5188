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

void Put16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8 & 0xFF);
}

void Put32(std::string& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

void Put32BigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(value >> shift & 0xFF);
}

// A bitmap image as an icon stores it: the header, then the colour table, colour rows and mask
// rows that its fields call for, and `extra` bytes more (or, when negative, fewer).
struct Bitmap {
    std::uint32_t headerSize = 40;
    std::uint32_t width = 16;
    std::uint32_t height = 32;
    std::uint32_t planes = 1;
    std::uint32_t bits = 32;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    int extra = 0;
};

std::string Image(const Bitmap& b) {
    std::string out;
    Put32(out, b.headerSize);
    Put32(out, b.width);
    Put32(out, b.height);
    Put16(out, b.planes);
    Put16(out, b.bits);
    Put32(out, b.compression);
    for (int field = 0; field < 3; ++field) Put32(out, 0);  // image size, resolution
    Put32(out, b.coloursUsed);
    Put32(out, 0);
    if (b.headerSize > out.size() && b.headerSize <= 124) out.resize(b.headerSize, '\0');
    // Bogus widths and depths still get a bounded body.
    const std::uint64_t side = std::min<std::uint32_t>(b.width, 300);
    const std::uint64_t bits = std::min<std::uint32_t>(b.bits, 32);
    const std::uint64_t colours = b.coloursUsed != 0 ? b.coloursUsed : bits <= 8 ? 1u << bits : 0;
    const std::uint64_t body =
        colours * 4 + ((side * bits + 31) / 32 * 4 + (side + 31) / 32 * 4) * side;
    out.append(body, '\x5A');
    if (b.extra >= 0) {
        out.append(static_cast<std::size_t>(b.extra), '\0');
    } else {
        out.resize(out.size() - static_cast<std::size_t>(-b.extra));
    }
    return out;
}

// The start of a PNG: signature, IHDR chunk (CRC left at zero), then some bytes of data.
struct Png {
    std::uint32_t width = 16;
    std::uint32_t height = 16;
    std::uint32_t depth = 8;
    std::uint32_t colourType = 6;
    std::uint32_t compression = 0;
    std::uint32_t interlace = 0;
    std::uint32_t chunkLength = 13;
    int extra = 20;
};

std::string Image(const Png& p) {
    std::string out("\x89PNG\r\n\x1a\n", 8);
    Put32BigEndian(out, p.chunkLength);
    out += "IHDR";
    Put32BigEndian(out, p.width);
    Put32BigEndian(out, p.height);
    out += static_cast<char>(p.depth);
    out += static_cast<char>(p.colourType);
    out += static_cast<char>(p.compression);
    out += '\0';  // filter
    out += static_cast<char>(p.interlace);
    Put32(out, 0);  // CRC
    if (p.extra >= 0) {
        out.append(static_cast<std::size_t>(p.extra), '\x11');
    } else {
        out.resize(out.size() - static_cast<std::size_t>(-p.extra));
    }
    return out;
}

// An .ico file holding the images in order after its directory; each entry's size bytes say
// `side` (0 for 256).
std::string IconFile(const std::vector<std::string>& images, std::uint32_t side = 16) {
    std::string out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, static_cast<std::uint32_t>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (const std::string& image : images) {
        out += static_cast<char>(side & 0xFF);
        out += static_cast<char>(side & 0xFF);
        Put16(out, 0);   // colour count, reserved
        Put16(out, 1);   // planes
        Put16(out, 32);  // bit count
        Put32(out, static_cast<std::uint32_t>(image.size()));
        Put32(out, offset);
        offset += static_cast<std::uint32_t>(image.size());
    }
    for (const std::string& image : images) out += image;
    return out;
}

// The file of the crash report: one entry, a header of width 0x7fffffff, height -0x7fffffff.
std::string CraftedFile() {
    std::string out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, 1);
    out += std::string("\x10\x10\0\0", 4);
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, 140);
    Put32(out, 22);
    Put32(out, 40);
    Put32(out, 0x7fffffff);
    Put32(out, static_cast<std::uint32_t>(-0x7fffffff));
    Put16(out, 1);
    Put16(out, 32);
    for (int field = 0; field < 6; ++field) Put32(out, 0);
    out.append(100, '\0');
    return out;
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
        {"4 bits, odd row length", Image(Bitmap{.width = 5, .height = 10, .bits = 4}), 4},
        {"1 bit", Image(Bitmap{.bits = 1}), 1},
        {"8 bits, 2 colours used", Image(Bitmap{.bits = 8, .coloursUsed = 2}), 8},
        {"32 bits with a colour table", Image(Bitmap{.coloursUsed = 256}), 32},
        {"1 x 1", Image(Bitmap{.width = 1, .height = 2}), 32},
        {"256 x 256", Image(Bitmap{.width = 256, .height = 512}), 32},
        {"V4 header", Image(Bitmap{.headerSize = 108}), 32},
        {"V5 header", Image(Bitmap{.headerSize = 124}), 32},
        {"bytes to spare", Image(Bitmap{.extra = 7}), 32},
        {"PNG with alpha", Image(Png{}), 32},
        {"PNG without alpha", Image(Png{.colourType = 2}), 24},
        {"PNG of a palette", Image(Png{.width = 256, .height = 256, .depth = 4, .colourType = 3}), 24},
        {"PNG of grey, interlaced", Image(Png{.depth = 16, .colourType = 0, .interlace = 1}), 24},
        {"PNG header alone", Image(Png{.extra = 0}), 32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file = IconFile({c.image}) + "trailing bytes are no concern";
        const auto images = CheckIconFile(file);
        ASSERT_TRUE(images.has_value());
        ASSERT_EQ(images->size(), 1u);
        const IconImage& image = images->front();
        EXPECT_EQ(image.bitCount, c.bitCount);
        EXPECT_EQ(image.width, 16);
        EXPECT_EQ(image.bytes, c.image);
        EXPECT_EQ(image.bytes.data(), file.data() + 22);  // a view of the bytes checked
    }
}

TEST(IconFileCheck, AnImageThatClaimsMoreThanItHoldsOrIsNoIconIsRefused) {
    const struct {
        const char* what;
        std::string image;
    } cases[] = {
        {"no bytes", ""},
        {"shorter than its header", Image(Bitmap{}).substr(0, 39)},
        {"mask short by a byte", Image(Bitmap{.extra = -1})},
        {"V5 header, mask short", Image(Bitmap{.headerSize = 124, .extra = -1})},
        {"colour table short", Image(Bitmap{.bits = 8}).substr(0, 40 + 255 * 4)},
        {"odd rows unpadded", Image(Bitmap{.width = 5, .height = 10, .bits = 4, .extra = -4})},
        {"core header", Image(Bitmap{.headerSize = 12})},
        {"header size 41", Image(Bitmap{.headerSize = 41})},
        {"header size 0", Image(Bitmap{.headerSize = 0})},
        {"header size 2^31 - 1", Image(Bitmap{.headerSize = 0x7fffffff})},
        {"width 0", Image(Bitmap{.width = 0, .height = 0})},
        {"width 257", Image(Bitmap{.width = 257, .height = 514})},
        {"width negative", Image(Bitmap{.width = static_cast<std::uint32_t>(-16), .height = 32})},
        {"height not doubled", Image(Bitmap{.height = 16})},
        {"height top-down", Image(Bitmap{.height = static_cast<std::uint32_t>(-32)})},
        {"height one more", Image(Bitmap{.height = 33})},
        {"no plane", Image(Bitmap{.planes = 0})},
        {"two planes", Image(Bitmap{.planes = 2})},
        {"0 bits", Image(Bitmap{.bits = 0})},
        {"2 bits", Image(Bitmap{.bits = 2})},
        {"15 bits", Image(Bitmap{.bits = 15})},
        {"33 bits", Image(Bitmap{.bits = 33})},
        {"run-length compressed", Image(Bitmap{.bits = 8, .compression = 1})},
        {"bit fields", Image(Bitmap{.compression = 3, .extra = 12})},
        {"3 colours of 1 bit", Image(Bitmap{.bits = 1, .coloursUsed = 3})},
        {"257 colours of 32 bits", Image(Bitmap{.coloursUsed = 257})},
        {"PNG cut in its header", Image(Png{.extra = -1})},
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

TEST(IconFileCheck, TheDirectoryAndEveryEntryMustFitTheFile) {
    const std::string sound = IconFile({Image(Bitmap{})});
    auto patched = [&](std::size_t at, std::uint32_t value, int bytes) {
        std::string file = sound;
        for (int i = 0; i < bytes; ++i) file[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
        return file;
    };
    std::string atTheLimit = sound;
    atTheLimit.resize(kIconFileLimit, '\0');
    const struct {
        const char* what;
        std::string file;
        bool passes;
    } cases[] = {
        {"sound", sound, true},
        {"padded to the limit", atTheLimit, true},
        {"a byte above the limit", atTheLimit + '\0', false},
        {"empty", "", false},
        {"header cut", sound.substr(0, 5), false},
        {"entry cut", sound.substr(0, 21), false},
        {"reserved word set", patched(0, 1, 2), false},
        {"a cursor", patched(2, 2, 2), false},
        {"type 0", patched(2, 0, 2), false},
        {"no images", patched(4, 0, 2), false},
        {"image a byte beyond the end", patched(14, 1128 + 1, 4), false},
        {"image offset beyond the end", patched(18, static_cast<std::uint32_t>(sound.size()), 4), false},
        {"offset and size wrap around 2^32", patched(18, 0xFFFFFFFF, 4), false},
        {"size wraps around 2^32", patched(14, 0xFFFFFFF0, 4), false},
        {"the crash report's file", CraftedFile(), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CheckIconFile(c.file).has_value(), c.passes) << c.what;
    }
}

TEST(IconFileCheck, EveryImageIsCheckedAndReportedWithItsDirectorySize) {
    const std::string small = Image(Bitmap{});
    const std::string large = Image(Bitmap{.width = 256, .height = 512, .bits = 8});
    const auto both = CheckIconFile(IconFile({small, large}, 0));
    ASSERT_TRUE(both.has_value());
    ASSERT_EQ(both->size(), 2u);
    EXPECT_EQ((*both)[0].bytes, small);
    EXPECT_EQ((*both)[1].bytes, large);
    EXPECT_EQ((*both)[1].width, 0);  // 256, as the directory writes it
    EXPECT_EQ((*both)[1].height, 0);
    EXPECT_EQ((*both)[1].bitCount, 8);

    // The system may choose any image for the tray: one bad image refuses the file.
    EXPECT_FALSE(CheckIconFile(IconFile({small, Image(Bitmap{.extra = -1})})));
    EXPECT_FALSE(CheckIconFile(IconFile({Image(Png{.width = 0}), small})));
}

TEST(PictureHolder, OnlyAFileThatPassesTheCheckReplacesTheBuiltInPicture) {
    const Text path = u"C:\\App\\full.ico";
    std::string tooBig = IconFile({Image(Bitmap{})});
    tooBig.resize(kIconFileLimit + 1, '\0');
    enum class Place { File, InUse, Folder, Nothing };
    const struct {
        const char* what;
        Place place;
        std::string bytes;
        bool replaced;
    } cases[] = {
        {"sound", Place::File, IconFile({Image(Bitmap{})}), true},
        {"the crash report's file", Place::File, CraftedFile(), false},
        {"above the limit", Place::File, tooBig, false},
        {"empty", Place::File, "", false},
        {"in use by another program", Place::InUse, IconFile({Image(Bitmap{})}), false},
        {"a folder", Place::Folder, "", false},
        {"missing", Place::Nothing, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::SimWindows sim;
        if (c.place == Place::File || c.place == Place::InUse) sim.files().AddFile(path, c.bytes);
        if (c.place == Place::InUse) sim.files().SetInUse(path, true);
        if (c.place == Place::Folder) sim.files().AddFolder(path);
        PictureHolder holder(sim.ui(), sim.files(), BuiltInPicture::TrayFull);
        EXPECT_EQ(holder.LoadFile(path), c.replaced);
        EXPECT_EQ(holder.picture().Handle() != sim::SimUserInterface::kTrayFullHandle, c.replaced);
        EXPECT_EQ(sim.files().OpenFiles(), 0u);
    }
}

}  // namespace
}  // namespace dustvale
