// Removal by age and by size, the question before Empty and the balloon after an automatic
// removal, with the Recycle Bin's items dated over the last 90 days.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AppTestScene.h"
#include "app/RemovalRules.h"

namespace dustvale {
namespace {

using apptest::AppScene;

constexpr std::uint64_t kMb = 1024 * 1024;
const Text kIni = u"C:\\Program Files\\Dustvale\\Dustvale.ini";

RecycleBinItem Item(std::uint64_t bytes, std::optional<FileTime> deletedAt) {
    return RecycleBinItem{u"x", bytes, deletedAt};
}

TEST(RemovalRules, AgeTakesWhatIsPastTheLimitAndSizeTakesTheOldestFirst) {
    const FileTime now = 1000 * kFileTimePerDay;
    const std::vector<RecycleBinItem> items = {
        Item(10, now - 31 * kFileTimePerDay),     // 0: past 30 days
        Item(10, now - 30 * kFileTimePerDay),     // 1: exactly 30 days: stays
        Item(10, std::nullopt),                   // 2: no date: never by age
        Item(10, now - 90 * kFileTimePerDay),     // 3: the oldest
        Item(10, now - kFileTimePerDay / 24),     // 4: an hour ago, the newest
    };
    EXPECT_EQ(ItemsOlderThan(items, now, 30), (std::vector<std::size_t>{0, 3}));
    EXPECT_EQ(ItemsOlderThan(items, now, 3650), (std::vector<std::size_t>{}));

    EXPECT_EQ(ItemsOverSize(items, 50), (std::vector<std::size_t>{}));
    EXPECT_EQ(ItemsOverSize(items, 35), (std::vector<std::size_t>{3, 0}));
    // The newest item stays, and so does the one without a date...
    EXPECT_EQ(ItemsOverSize(items, 15), (std::vector<std::size_t>{3, 0, 1}));
    // ...unless the newest alone holds more than the limit.
    std::vector<RecycleBinItem> huge = items;
    huge[4].bytes = 1000;
    EXPECT_EQ(ItemsOverSize(huge, 100), (std::vector<std::size_t>{3, 0, 1, 4}));
}

// Items deleted half a day less than 1, 2, ... 90 days ago on C:, one megabyte each, the
// newest last.
void DatedItems(AppScene& scene) {
    const FileTime now = scene.sim.kernel().SystemTime();
    for (int days = 90; days >= 1; --days) {
        scene.sim.shell().AddToRecycleBin(u'C', kMb,
                                          now - days * kFileTimePerDay + kFileTimePerDay / 2);
    }
}

std::vector<int> AgesLeft(AppScene& scene) {
    const FileTime now = scene.sim.kernel().SystemTime();
    std::vector<int> ages;
    for (const RecycleBinItem& item : scene.sim.shell().RecycleBinContents()) {
        ages.push_back(static_cast<int>((now - *item.deletedAt) / kFileTimePerDay));
    }
    return ages;
}

TEST(AppAutomaticRemoval, TheAgeRuleRemovesWhatIsPastItsDaysAtStartThenAtMostHourly) {
    AppScene scene;
    scene.sim.files().AddFile(apptest::kSettingsFile, "OFF\r\n");
    scene.sim.files().AddFile(kIni, "EmptyOldItems=on\r\nEmptyOldItemsDays=30\r\n");
    DatedItems(scene);
    scene.Create();
    scene.sim.Advance(2000);
    EXPECT_EQ(scene.sim.shell().RecycleBinItems(u'C'), 30u);
    EXPECT_EQ(AgesLeft(scene).front(), 29);
    EXPECT_TRUE(scene.sim.shell().EmptyCalls().empty()) << "item by item, never an emptying";
    EXPECT_TRUE(scene.sim.shell().Balloons().empty()) << "not asked to tell";

    // Two days on, items pass their 30 days; the rule runs again only an hour after it ran.
    scene.sim.Advance(3'590'000);
    EXPECT_EQ(scene.sim.shell().RemoveItemsCalls(), 1);
    scene.sim.kernel().SetSystemTime(scene.sim.kernel().SystemTime() + 2 * kFileTimePerDay -
                                     3'600'000 * 10'000LL);
    scene.sim.Advance(20'000);
    EXPECT_EQ(scene.sim.shell().RemoveItemsCalls(), 2);
    EXPECT_EQ(scene.sim.shell().RecycleBinItems(u'C'), 28u);
    EXPECT_EQ(scene.sim.files().Contents(apptest::kSettingsFile), "OFF\r\n");
}

TEST(AppAutomaticRemoval, TheSizeRuleRemovesTheOldestUntilTheBinIsUnderItsLimitAndTells) {
    AppScene scene;
    scene.sim.files().AddFile(kIni,
                              "KeepBinUnderSize=on\r\nBinSizeLimitMB=20\r\n"
                              "TellAutomaticRemovals=on\r\n");
    DatedItems(scene);
    scene.Create();
    scene.sim.Advance(3000);
    EXPECT_EQ(AgesLeft(scene), (std::vector<int>{19, 18, 17, 16, 15, 14, 13, 12, 11, 10, 9, 8,
                                                 7, 6, 5, 4, 3, 2, 1, 0}));
    ASSERT_EQ(scene.sim.shell().Balloons().size(), 1u);
    EXPECT_EQ(scene.sim.shell().Balloons()[0].text,
              u"Dustvale removed 70 items to keep the Recycle Bin under 20 MB");
}

TEST(AppAutomaticRemoval, RulesOffOrMalformedRemoveNothing) {
    for (const char* ini : {"", "EmptyOldItems=on\r\nEmptyOldItemsDays=thirty\r\n",
                            "KeepBinUnderSize=on\r\nBinSizeLimitMB=-1\r\n",
                            "EmptyOldItems=1\r\nKeepBinUnderSize=true\r\n"}) {
        AppScene scene;
        scene.sim.files().AddFile(kIni, ini);
        DatedItems(scene);
        scene.Create();
        scene.sim.Advance(5000);
        EXPECT_EQ(scene.sim.shell().RecycleBinItems(u'C'), 90u) << ini;
        EXPECT_EQ(scene.sim.shell().RemoveItemsCalls(), 0) << ini;
    }
}

TEST(AppAutomaticRemoval, TheQuestionBeforeEmptyShowsTheCountAndSizeAndNoKeepsEverything) {
    for (const int answer : {mb::kIdNo, mb::kIdYes}) {
        AppScene scene;
        scene.sim.files().AddFile(kIni, "AskBeforeEmptying=on\r\n");
        DatedItems(scene);
        scene.Create();
        scene.sim.Advance(1000);
        scene.sim.ui().AnswerMessageBox([answer](const auto&) { return answer; });
        ASSERT_TRUE(scene.Choose({u"Recycle Bin", u"Empty"}));
        ASSERT_EQ(scene.sim.ui().MessageBoxes().size(), 1u);
        const auto& question = scene.sim.ui().MessageBoxes()[0];
        EXPECT_EQ(question.text, u"Permanently delete these 90 items (90 Mb)?");
        EXPECT_EQ(question.style, mb::kYesNo | mb::kIconWarning | mb::kDefaultButton2);
        EXPECT_EQ(scene.sim.shell().RecycleBinItems(u'C'), answer == mb::kIdYes ? 0u : 90u);
    }
    // Automatic emptying never asks.
    AppScene scene;
    scene.sim.files().AddFile(kIni, "AskBeforeEmptying=on\r\n");
    scene.sim.files().AddFile(apptest::kSettingsFile, "5\r\n");
    DatedItems(scene);
    scene.Create();
    scene.sim.Advance(1000);
    EXPECT_EQ(scene.sim.shell().RecycleBinItems(u'C'), 0u);
    EXPECT_TRUE(scene.sim.ui().MessageBoxes().empty());
}

}  // namespace
}  // namespace dustvale
