#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "AppTestScene.h"
#include "app/SizeLine.h"

namespace dustvale {
namespace {

using apptest::AppScene;
using sim::SimUserInterface;

TEST(AppMonitor, SizeLineInBytesBelowAMegabyteThenInWholeMegabytes) {
    const struct {
        std::uint64_t size, items;
        const char16_t* line;
    } cases[] = {
        {0, 0, u"0 bytes. (0 items)"},
        {0, 2, u"0 bytes. (2 items)"},
        {2500, 3, u"2500 bytes. (3 items)"},
        {1048575, 1, u"1048575 bytes. (1 items)"},
        {1048576, 1, u"1 Mb. (1 items)"},
        {2097151, 1, u"1 Mb. (1 items)"},
        {5767168, 12, u"5 Mb. (12 items)"},
        {2147483648ull, 7, u"2048 Mb. (7 items)"},
        {3221225472ull, 40, u"3072 Mb. (40 items)"},
        {0xFFFFFFFFFFFFFFFFull, 4294967296ull, u"17592186044415 Mb. (4294967296 items)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatSizeLine(c.size, c.items), Text(c.line)) << c.size << " " << c.items;
    }
}

TEST(AppMonitor, TooltipCountsItemsAlwaysInThePlural) {
    EXPECT_EQ(FormatTooltip(1), u"Dustvale (1 items)");
    EXPECT_EQ(FormatTooltip(7), u"Dustvale (7 items)");
    EXPECT_EQ(FormatTooltip(123456789012ull), u"Dustvale (123456789012 items)");
}

// One item per entry of `sizes` in the bin of drive C:.
void FillBin(sim::SimShell& shell, std::initializer_list<std::uint64_t> sizes) {
    for (std::uint64_t size : sizes) shell.AddToRecycleBin(u'C', size);
}

TEST(AppMonitor, EachTickShowsTheBinsStateFromTheCountAlone) {
    const struct {
        int items;
        std::uint64_t bytesEach;
        const char16_t* line;
        bool full;
        const char16_t* tip;
    } cases[] = {
        {0, 0, u"0 bytes. (0 items)", false, u"Dustvale"},
        {2, 0, u"0 bytes. (2 items)", true, u"Dustvale (2 items)"},
        {1, 700, u"700 bytes. (1 items)", true, u"Dustvale (1 items)"},
        {15, 1048576, u"15 Mb. (15 items)", true, u"Dustvale (15 items)"},
    };
    for (const auto& c : cases) {
        AppScene scene;
        for (int i = 0; i < c.items; ++i) scene.sim.shell().AddToRecycleBin(u'C', c.bytesEach);
        TrayApplication& app = scene.Create();
        scene.sim.Advance(1000);
        SCOPED_TRACE(c.items);
        EXPECT_EQ(app.Menu().Item("sizeLine").caption, Text(c.line));
        ASSERT_TRUE(scene.ShownIcon().has_value());
        EXPECT_EQ(scene.ShownIcon()->icon, c.full ? SimUserInterface::kTrayFullHandle
                                                  : SimUserInterface::kTrayEmptyHandle);
        EXPECT_EQ(scene.ShownIcon()->tip, Text(c.tip));
        EXPECT_TRUE(scene.sim.shell().EmptyCalls().empty());  // no settings file: never emptied
    }
}

TEST(AppMonitor, TheTooltipReachesTheShellEveryTickThePictureOnlyWhenItChanges) {
    AppScene scene;
    scene.Create();
    scene.sim.shell().ClearNotifyCalls();
    scene.sim.Advance(1000);  // full picture at load, empty bin: picture and tooltip
    EXPECT_EQ(scene.sim.shell().NotifyCalls().size(), 2u);
    scene.sim.shell().ClearNotifyCalls();
    scene.sim.Advance(3000);  // nothing changed: the tooltip alone, three times
    ASSERT_EQ(scene.sim.shell().NotifyCalls().size(), 3u);
    for (const auto& call : scene.sim.shell().NotifyCalls()) {
        EXPECT_EQ(call.message, NotifyMessage::Modify);
    }
    scene.sim.shell().ClearNotifyCalls();
    scene.sim.shell().AddToRecycleBin(u'C', 1);
    scene.sim.Advance(1000);
    EXPECT_EQ(scene.sim.shell().NotifyCalls().size(), 2u);
    EXPECT_EQ(scene.ShownIcon()->icon, SimUserInterface::kTrayFullHandle);
}

TEST(AppMonitor, AutoEmptyFollowsTheSettingReadAtStartUpAndNeverEmptiesOnAnythingButANumber) {
    const struct {
        std::optional<std::string> file;
        int items;
        bool emptied;
    } cases[] = {
        {std::nullopt, 0, false},
        {std::nullopt, 1000, false},
        {"OFF\r\n", 1000, false},
        {"15\r\n", 14, false},
        {"15\r\n", 15, true},
        {"15\r\n", 16, true},
        {" 15 \r\n", 15, true},
        {"0\r\n", 1, true},
        // No plain number: never emptied, whatever the bin holds.
        {"2.5\r\n", 1000, false},
        {"1,000\r\n", 1000, false},
        {"0x10\r\n", 1000, false},
        {"-0\r\n", 1000, false},
        {"-1\r\n", 1000, false},
        {"3 files\r\n", 1000, false},
        {"\"7\"\r\n", 1000, false},
        {"off\r\n", 1000, false},
        {"\r\n", 1000, false},  // an empty threshold box stored
        {"abc\r\n", 1000, false},
        {"l5\r\n", 1000, false},
        {"", 1000, false},      // a file without bytes is off
    };
    for (const auto& c : cases) {
        AppScene scene;
        if (c.file) scene.sim.files().AddFile(apptest::kSettingsFile, *c.file);
        for (int i = 0; i < c.items; ++i) scene.sim.shell().AddToRecycleBin(u'C', 10);
        TrayApplication& app = scene.Create();
        scene.sim.Advance(1000);
        SCOPED_TRACE(testing::Message() << c.file.value_or("(none)") << " / " << c.items);
        ASSERT_EQ(scene.sim.shell().EmptyCalls().size(), c.emptied ? 1u : 0u);
        if (c.emptied) {
            const auto& call = scene.sim.shell().EmptyCalls()[0];
            EXPECT_EQ(call.owner, app.Window());
            EXPECT_FALSE(call.root.has_value());  // every drive
            EXPECT_EQ(call.flags, 7u);
        }
        // The display of that tick is not refreshed after emptying.
        EXPECT_EQ(app.Menu().Item("sizeLine").caption,
                  FormatSizeLine(10ull * c.items, static_cast<std::uint64_t>(c.items)));
    }
}

TEST(AppMonitor, AnEmptiedBinShowsEmptyAtTheNextTick) {
    AppScene scene;
    scene.sim.files().AddFile(apptest::kSettingsFile, "3\r\n");
    FillBin(scene.sim.shell(), {100, 200});
    TrayApplication& app = scene.Create();
    scene.sim.Advance(1000);
    EXPECT_TRUE(scene.sim.shell().EmptyCalls().empty());
    scene.sim.shell().AddToRecycleBin(u'C', 300);
    scene.sim.Advance(1000);
    EXPECT_EQ(scene.sim.shell().EmptyCalls().size(), 1u);
    EXPECT_EQ(app.Menu().Item("sizeLine").caption, u"600 bytes. (3 items)");
    scene.sim.Advance(1000);
    EXPECT_EQ(app.Menu().Item("sizeLine").caption, u"0 bytes. (0 items)");
    EXPECT_EQ(scene.ShownIcon()->tip, u"Dustvale");
    EXPECT_EQ(scene.sim.shell().EmptyCalls().size(), 1u);
}

TEST(AppMonitor, ThresholdIsTheOneReadAtStartUp) {
    AppScene scene;
    scene.sim.files().AddFile(apptest::kSettingsFile, "15\r\n");
    TrayApplication& app = scene.Create();
    scene.sim.files().DeleteFile(apptest::kSettingsFile);
    scene.sim.files().AddFile(apptest::kSettingsFile, "20\r\n");
    for (int i = 0; i < 15; ++i) scene.sim.shell().AddToRecycleBin(u'C', 1);
    scene.sim.Advance(1000);
    EXPECT_EQ(app.AutoClean(), u"15");
    EXPECT_EQ(scene.sim.shell().EmptyCalls().size(), 1u);
}

TEST(AppMonitor, AFailedQueryShowsAnEmptyBin) {
    AppScene scene;
    scene.sim.files().AddFile(apptest::kSettingsFile, "1\r\n");
    FillBin(scene.sim.shell(), {5000, 5000});
    scene.sim.shell().FailQueries(true);
    TrayApplication& app = scene.Create();
    scene.sim.Advance(1000);
    EXPECT_EQ(app.Menu().Item("sizeLine").caption, u"0 bytes. (0 items)");
    EXPECT_EQ(scene.ShownIcon()->icon, SimUserInterface::kTrayEmptyHandle);
    EXPECT_EQ(scene.ShownIcon()->tip, u"Dustvale");
    EXPECT_TRUE(scene.sim.shell().EmptyCalls().empty());  // 0 items is below 1
}

TEST(AppMonitor, EveryDrivesBinCountsForWhatIsShownAndForTheThreshold) {
    // The threshold counts what an emptying removes: 500 items on D: are shown, and three more
    // on C: empty them only once the user has seen them counted.
    for (const bool systemRefusesAnEmptyRoot : {false, true}) {
        SCOPED_TRACE(systemRefusesAnEmptyRoot ? "fixed drives added up" : "every drive at once");
        AppScene scene;
        scene.sim.files().AddDrive(u'D');
        scene.sim.shell().FailAllDrivesQueries(systemRefusesAnEmptyRoot);
        scene.sim.files().AddFile(apptest::kSettingsFile, "503\r\n");
        for (int i = 0; i < 500; ++i) scene.sim.shell().AddToRecycleBin(u'D', 4096);
        TrayApplication& app = scene.Create();
        scene.sim.Advance(1000);
        EXPECT_EQ(app.Menu().Item("sizeLine").caption, u"1 Mb. (500 items)");
        EXPECT_EQ(scene.ShownIcon()->tip, u"Dustvale (500 items)");
        EXPECT_TRUE(scene.sim.shell().EmptyCalls().empty());

        FillBin(scene.sim.shell(), {1, 2, 3});
        scene.sim.Advance(1000);
        EXPECT_EQ(scene.ShownIcon()->tip, u"Dustvale (503 items)");
        ASSERT_EQ(scene.sim.shell().EmptyCalls().size(), 1u);
        EXPECT_FALSE(scene.sim.shell().EmptyCalls()[0].root.has_value());
        EXPECT_EQ(scene.sim.shell().EmptyCalls()[0].flags,
                  sherb::kNoConfirmation | sherb::kNoProgressUi | sherb::kNoSound);
        EXPECT_EQ(scene.sim.shell().RecycleBinItems(u'D'), 0u);
        EXPECT_TRUE(scene.sim.ui().MessageBoxes().empty());
    }
}

TEST(AppMonitor, AThresholdOfZeroEmptiesAsSoonAsAnythingIsThereAndNeverAnEmptyBin) {
    AppScene scene;
    scene.sim.files().AddFile(apptest::kSettingsFile, "0\r\n");
    scene.Create();
    scene.sim.Advance(60'000);
    EXPECT_TRUE(scene.sim.shell().EmptyCalls().empty());
    scene.sim.shell().AddToRecycleBin(u'C', 10);
    scene.sim.Advance(1000);
    EXPECT_EQ(scene.sim.shell().EmptyCalls().size(), 1u);
}

}  // namespace
}  // namespace dustvale
