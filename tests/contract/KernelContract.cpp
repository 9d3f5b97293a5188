// What the process learns about itself and its system has the same form on every platform.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/contract/ContractFixture.h"

namespace dustvale::contract {
namespace {

template <class F>
class KernelContract : public ::testing::Test {
protected:
    F fixture;
    Platform platform = fixture.platform();

    bool IsFolder(const Text& path) {
        std::optional<std::uint32_t> attributes = platform.files.GetFileAttributes(path);
        return attributes && (*attributes & attr::kDirectory);
    }
};

TYPED_TEST_SUITE_P(KernelContract);

TYPED_TEST_P(KernelContract, TheExecutableIsAFileOnADrive) {
    const Text path = this->platform.kernel.ModuleFileName();
    ASSERT_GE(path.size(), 4u);
    EXPECT_EQ(path.substr(1, 2), u":\\");
    std::optional<std::uint32_t> attributes = this->platform.files.GetFileAttributes(path);
    ASSERT_TRUE(attributes);
    EXPECT_FALSE(*attributes & attr::kDirectory);
}

TYPED_TEST_P(KernelContract, TheTemporaryPathIsAFolderWithAFinalBackslash) {
    std::optional<Text> temp = this->platform.kernel.GetTempPath();
    ASSERT_TRUE(temp);
    ASSERT_FALSE(temp->empty());
    EXPECT_EQ(temp->back(), u'\\');
    EXPECT_TRUE(this->IsFolder(*temp));
}

TYPED_TEST_P(KernelContract, TheProfileFolderHasNoFinalBackslash) {
    std::optional<Text> profile = this->platform.kernel.UserProfileFolder();
    ASSERT_TRUE(profile);
    ASSERT_FALSE(profile->empty());
    EXPECT_NE(profile->back(), u'\\');
    EXPECT_TRUE(this->IsFolder(*profile));
}

TYPED_TEST_P(KernelContract, EnvironmentNamesIgnoreCase) {
    Kernel& kernel = this->platform.kernel;
    std::optional<Text> windir = kernel.GetEnvironmentVariable(u"WINDIR");
    ASSERT_TRUE(windir);
    EXPECT_TRUE(this->IsFolder(*windir));
    EXPECT_EQ(kernel.GetEnvironmentVariable(u"windir"), windir);
    EXPECT_FALSE(kernel.GetEnvironmentVariable(u"DUSTVALE_SURELY_NOT_SET_4711"));
}

TYPED_TEST_P(KernelContract, TheSystemIsWindowsNt) {
    std::optional<OsVersion> version = this->platform.kernel.GetVersion();
    ASSERT_TRUE(version);
    EXPECT_EQ(version->platformId, 2);
    EXPECT_GE(version->major, 5);
}

TYPED_TEST_P(KernelContract, PlainTextCrossesTheAnsiCodePageUnchanged) {
    Kernel& kernel = this->platform.kernel;
    const Text text = u"AutoClean=OFF\r\n[Dustvale] 1.00 ~!@#$%^&*()";
    const std::string bytes = kernel.ToAnsi(text);
    EXPECT_EQ(bytes, "AutoClean=OFF\r\n[Dustvale] 1.00 ~!@#$%^&*()");
    EXPECT_EQ(kernel.FromAnsi(bytes), text);
}

// The program's text files are written in the ANSI code page. A letter the code page lacks
// becomes '?', never a look-alike: a best-fit "A" for "\u0100" or "\\" for a full-width
// backslash would write something the user never typed.
TYPED_TEST_P(KernelContract, LettersOutsideWindows1252BecomeQuestionMarks) {
    Kernel& kernel = this->platform.kernel;
    if (kernel.ToAnsi(u"\u20AC") != "\x80") GTEST_SKIP() << "the ANSI code page is not Windows-1252";
    EXPECT_EQ(kernel.ToAnsi(u"caf\u00E9 \u2122"), "caf\xE9 \x99");
    EXPECT_EQ(kernel.ToAnsi(u"\u0100\uFF3C\u03A9"), "???");
    EXPECT_EQ(kernel.FromAnsi("\x80\xE9"), u"\u20AC\u00E9");
}

// Wine shows Unix paths through its drives; its environment names the Unix home as an NT
// path. Windows has neither.
TYPED_TEST_P(KernelContract, UnderWineUnixPathsMapThroughItsDrives) {
    Kernel& kernel = this->platform.kernel;
    if (!kernel.RunsUnderWine()) {
        EXPECT_FALSE(kernel.WindowsPathOfUnixPath(u"/tmp"));
        return;
    }
    // Drive Z: is the Unix root in every prefix Wine makes; names need not exist.
    EXPECT_EQ(kernel.WindowsPathOfUnixPath(u"/"), u"Z:\\");
    EXPECT_EQ(kernel.WindowsPathOfUnixPath(u"/no such/caf\u00E9 \u0416"),
              u"Z:\\no such\\caf\u00E9 \u0416");
    EXPECT_FALSE(kernel.WindowsPathOfUnixPath(u""));
    const std::optional<Text> home = kernel.GetEnvironmentVariable(u"WINEHOMEDIR");
    ASSERT_TRUE(home);
    EXPECT_TRUE(home->starts_with(u"\\??\\")) << std::string(home->begin(), home->end());
}

TYPED_TEST_P(KernelContract, LocalTimesBecomeUtcThroughTheTimeZoneAndImpossibleDatesAreRefused) {
    Kernel& kernel = this->platform.kernel;
    constexpr std::int64_t kMinute = 600'000'000;
    constexpr std::int64_t kAsUtc = 134'247'816'000'000'000;  // 2026-06-01T10:00:00Z
    const std::optional<std::int64_t> utc = kernel.LocalTimeToSystemTime({2026, 6, 1, 10, 0, 0});
    ASSERT_TRUE(utc);
    // Time zones lie within 14 hours of UTC, in steps of a quarter of an hour.
    EXPECT_LE(std::abs(*utc - kAsUtc), 14 * 60 * kMinute);
    EXPECT_EQ((*utc - kAsUtc) % (15 * kMinute), 0);
    EXPECT_EQ(kernel.LocalTimeToSystemTime({2026, 6, 1, 10, 0, 1}), *utc + 10'000'000);
    EXPECT_TRUE(kernel.LocalTimeToSystemTime({2024, 2, 29, 23, 59, 59}));
    // Wine 8 takes 29 February of a common year for 1 March (docs/wine.md); Windows refuses it.
    const std::optional<std::int64_t> leapDay = kernel.LocalTimeToSystemTime({2026, 2, 29, 0, 0, 0});
    if (TypeParam::UnderWine()) {
        EXPECT_EQ(leapDay, kernel.LocalTimeToSystemTime({2026, 3, 1, 0, 0, 0}));
    } else {
        EXPECT_FALSE(leapDay);
    }
    const CalendarTime impossible[] = {{2025, 2, 30, 0, 0, 0}, {2026, 4, 31, 0, 0, 0},
                                       {2026, 13, 1, 0, 0, 0}, {2026, 0, 1, 0, 0, 0},
                                       {2026, 1, 0, 0, 0, 0},  {2026, 1, 1, 24, 0, 0},
                                       {2026, 1, 1, 0, 60, 0}, {2026, 1, 1, 0, 0, 60},
                                       {1600, 12, 31, 0, 0, 0}, {70000, 1, 1, 0, 0, 0}};
    for (const CalendarTime& date : impossible) {
        EXPECT_FALSE(kernel.LocalTimeToSystemTime(date))
            << date.year << "-" << date.month << "-" << date.day << " " << date.hour << ":"
            << date.minute << ":" << date.second;
    }
}

REGISTER_TYPED_TEST_SUITE_P(KernelContract, TheExecutableIsAFileOnADrive,
                            TheTemporaryPathIsAFolderWithAFinalBackslash, TheProfileFolderHasNoFinalBackslash,
                            EnvironmentNamesIgnoreCase, TheSystemIsWindowsNt,
                            PlainTextCrossesTheAnsiCodePageUnchanged,
                            LettersOutsideWindows1252BecomeQuestionMarks,
                            UnderWineUnixPathsMapThroughItsDrives,
                            LocalTimesBecomeUtcThroughTheTimeZoneAndImpossibleDatesAreRefused);
INSTANTIATE_TYPED_TEST_SUITE_P(Platform, KernelContract, PlatformUnderTest, PlatformName);

}  // namespace
}  // namespace dustvale::contract
