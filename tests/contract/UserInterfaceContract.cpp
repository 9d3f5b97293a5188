// Pictures load alike on every platform: built-in ones always, and those of checked icon images.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "tests/contract/ContractFixture.h"

namespace dustvale::contract {
namespace {

void PutU16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void PutU32(std::string& out, unsigned value) {
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

// A real 16x16 icon of 32-bit colour: directory, bitmap header, pixels, transparency mask.
std::string SmallIcon(unsigned char green) {
    constexpr unsigned kSide = 16, kPixels = kSide * kSide * 4, kMask = kSide * 4, kHeader = 40;
    std::string ico;
    PutU16(ico, 0);  // reserved
    PutU16(ico, 1);  // an icon
    PutU16(ico, 1);  // one image
    ico += static_cast<char>(kSide);
    ico += static_cast<char>(kSide);
    ico += '\0';  // no palette
    ico += '\0';
    PutU16(ico, 1);   // planes
    PutU16(ico, 32);  // bits per pixel
    PutU32(ico, kHeader + kPixels + kMask);
    PutU32(ico, 22);  // the image follows the directory
    PutU32(ico, kHeader);
    PutU32(ico, kSide);
    PutU32(ico, kSide * 2);  // colour and mask together
    PutU16(ico, 1);
    PutU16(ico, 32);
    for (int i = 0; i < 6; ++i) PutU32(ico, 0);
    for (unsigned i = 0; i < kSide * kSide; ++i) ico += std::string{'\x20', static_cast<char>(green), '\x40', '\xFF'};
    ico += std::string(kMask, '\0');
    return ico;
}

template <class F>
class UserInterfaceContract : public ::testing::Test {
protected:
    F fixture;
    Platform platform = fixture.platform();
};

TYPED_TEST_SUITE_P(UserInterfaceContract);

TYPED_TEST_P(UserInterfaceContract, BuiltInPicturesHaveDistinctHandles) {
    UserInterface& ui = this->platform.ui;
    std::unique_ptr<Picture> full = ui.LoadBuiltInPicture(BuiltInPicture::TrayFull, 16);
    std::unique_ptr<Picture> empty = ui.LoadBuiltInPicture(BuiltInPicture::TrayEmpty, 16);
    std::unique_ptr<Picture> program = ui.LoadBuiltInPicture(BuiltInPicture::Program, 16);
    ASSERT_TRUE(full && empty && program);
    EXPECT_NE(full->Handle(), 0u);
    EXPECT_NE(empty->Handle(), 0u);
    EXPECT_NE(program->Handle(), 0u);
    EXPECT_NE(full->Handle(), empty->Handle());
    EXPECT_NE(full->Handle(), program->Handle());
    EXPECT_NE(empty->Handle(), program->Handle());
}

TYPED_TEST_P(UserInterfaceContract, CheckedIconImagesMakeAPicture) {
    const std::string file = SmallIcon(0x80);
    const std::vector<IconImage> images{{16, 16, 32, std::string_view(file).substr(22)}};
    std::unique_ptr<Picture> loaded = this->platform.ui.LoadIconPicture(images, 16);
    ASSERT_TRUE(loaded);
    EXPECT_NE(loaded->Handle(), 0u);
    EXPECT_FALSE(this->platform.ui.LoadIconPicture({}, 16));
}

// The tray takes its pictures at the small-icon size of its DPI, and again at a new size when
// that changes: each load gives a picture of the size asked, also after one of another size.
TYPED_TEST_P(UserInterfaceContract, PicturesAreLoadedAtTheSizeAsked) {
    UserInterface& ui = this->platform.ui;
    const std::string file = SmallIcon(0x40);
    const std::vector<IconImage> images{{16, 16, 32, std::string_view(file).substr(22)}};
    std::vector<std::unique_ptr<Picture>> held;  // kept, as a tray keeps the one it shows
    for (const std::int32_t size : {16, 24, 20, 28, 32, 40, 48, 16}) {
        SCOPED_TRACE(size);
        for (const BuiltInPicture which : {BuiltInPicture::TrayFull, BuiltInPicture::TrayEmpty}) {
            held.push_back(ui.LoadBuiltInPicture(which, size));
            ASSERT_TRUE(held.back());
            EXPECT_EQ(this->fixture.PictureSide(*held.back()), size);
        }
        held.push_back(ui.LoadIconPicture(images, size));
        ASSERT_TRUE(held.back());
        EXPECT_EQ(this->fixture.PictureSide(*held.back()), size) << "a 16-pixel image scaled";
    }
}

REGISTER_TYPED_TEST_SUITE_P(UserInterfaceContract, BuiltInPicturesHaveDistinctHandles,
                            CheckedIconImagesMakeAPicture, PicturesAreLoadedAtTheSizeAsked);
INSTANTIATE_TYPED_TEST_SUITE_P(Platform, UserInterfaceContract, PlatformUnderTest, PlatformName);

}  // namespace
}  // namespace dustvale::contract
