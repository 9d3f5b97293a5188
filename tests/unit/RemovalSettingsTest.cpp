#include <gtest/gtest.h>

#include <string>

#include "common/NumberedFiles.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimWindows.h"
#include "settings/RemovalSettings.h"

namespace dustvale {
namespace {

TEST(RemovalSettings, OnlyWellFormedValuesSwitchARuleOn) {
    const struct {
        const char* text;
        bool emptyOld;
        std::uint32_t days;
        bool keepUnder;
        std::uint64_t limit;
    } cases[] = {
        {"", false, 30, false, 1024},
        {"EmptyOldItems=on\r\nEmptyOldItemsDays=14\r\n", true, 14, false, 1024},
        {" emptyolditems = ON \nEMPTYOLDITEMSDAYS=\t60\n", true, 60, false, 1024},
        {"EmptyOldItems=on\r\n", true, 30, false, 1024},  // 30 until a number is chosen
        {"EmptyOldItems=yes\r\nEmptyOldItemsDays=14\r\n", false, 14, false, 1024},
        {"EmptyOldItems=on\r\nEmptyOldItemsDays=0\r\n", false, 30, false, 1024},
        {"EmptyOldItems=on\r\nEmptyOldItemsDays=3651\r\n", false, 30, false, 1024},
        {"EmptyOldItems=on\r\nEmptyOldItemsDays=-5\r\n", false, 30, false, 1024},
        {"EmptyOldItems=on\r\nEmptyOldItemsDays=1,5\r\n", false, 30, false, 1024},
        {"EmptyOldItems=on\r\nEmptyOldItemsDays=99999999999999999999999\r\n", false, 30, false,
         1024},
        {"KeepBinUnderSize=on\r\nBinSizeLimitMB=500\r\n", false, 30, true, 500},
        {"KeepBinUnderSize=on\r\nBinSizeLimitMB=0x10\r\n", false, 30, false, 1024},
        {"KeepBinUnderSize=on\r\nBinSizeLimitMB=\r\n", false, 30, false, 1024},
        {"KeepBinUnderSize=1\r\nBinSizeLimitMB=500\r\n", false, 30, false, 500},
        {"[Dustvale]\r\n; a comment\r\nKeepBinUnderSize=on\r\nBinSizeLimitMB=500", false, 30,
         true, 500},
    };
    for (const auto& c : cases) {
        const RemovalSettings s = RemovalSettingsFile::Parse(c.text).Settings();
        EXPECT_EQ(s.emptyOldItems, c.emptyOld) << c.text;
        EXPECT_EQ(s.oldItemDays, c.days) << c.text;
        EXPECT_EQ(s.keepBinUnderSize, c.keepUnder) << c.text;
        EXPECT_EQ(s.binSizeLimitMb, c.limit) << c.text;
    }
}

TEST(RemovalSettings, WritingKeepsWhatTheProgramDoesNotKnow) {
    const RemovalSettingsFile file = RemovalSettingsFile::Parse(
        "\xEF\xBB\xBF; Dustvale\r\nTheme=dark\nemptyolditems=off\r\nEmptyOldItems=on\r\n"
        "\r\nFuture=\xC3\xA9t\xC3\xA9");
    RemovalSettings settings;
    settings.emptyOldItems = true;
    settings.oldItemDays = 90;
    settings.askBeforeEmptying = true;
    EXPECT_EQ(file.Render(settings),
              "\xEF\xBB\xBF; Dustvale\r\nTheme=dark\r\nEmptyOldItems=on\r\n\r\n"
              "Future=\xC3\xA9t\xC3\xA9\r\nEmptyOldItemsDays=90\r\nKeepBinUnderSize=off\r\n"
              "BinSizeLimitMB=1024\r\nAskBeforeEmptying=on\r\nTellAutomaticRemovals=off\r\n");
    EXPECT_EQ(RemovalSettingsFile::Parse(file.Render(settings)).Settings(), settings);
}

TEST(RemovalSettings, TheFileBesideTheProgramIsReadAndAFailedWriteIsTold) {
    sim::SimWindows sim;
    Platform platform = sim.platform();
    NumberedFiles files{platform.files};
    const Text folder = u"C:\\Program Files\\Dustvale";
    const Text path = folder + u"\\Dustvale.ini";
    EXPECT_EQ(RemovalSettingsFile::Load(platform, files, folder).Settings(), RemovalSettings{});

    sim.files().AddFile(path, "Theme=dark\r\nAskBeforeEmptying=on\r\n");
    RemovalSettingsFile file = RemovalSettingsFile::Load(platform, files, folder);
    EXPECT_TRUE(file.Settings().askBeforeEmptying);
    RemovalSettings settings = file.Settings();
    settings.keepBinUnderSize = true;
    ASSERT_TRUE(file.Save(files, folder, settings));
    EXPECT_EQ(RemovalSettingsFile::Load(platform, files, folder).Settings(), settings);
    EXPECT_EQ(sim.files().Contents(path).value().substr(0, 12), "Theme=dark\r\n");

    sim.files().SetFileAttributes(path, attr::kReadOnly);
    settings.keepBinUnderSize = false;
    EXPECT_FALSE(file.Save(files, folder, settings));
    EXPECT_TRUE(RemovalSettingsFile::Load(platform, files, folder).Settings().keepBinUnderSize);
    EXPECT_EQ(sim.files().OpenFiles(), 0u);
}

}  // namespace
}  // namespace dustvale
