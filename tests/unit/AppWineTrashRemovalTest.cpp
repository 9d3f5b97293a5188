// Under Wine the rules of automatic removal take items from the user's Trash itself, dated by
// their .trashinfo, in the local time it is written in.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "AppTestScene.h"
#include "TrashTestScene.h"
#include "app/RemovalRules.h"
#include "app/WineTrashRecycleBin.h"

namespace dustvale {
namespace {

using apptest::AppScene;
using namespace trashtest;

constexpr FileTime kSecond = 10'000'000;
// The simulated machine starts on 9 December 2026 at midnight UTC; in Kathmandu (UTC+5:45)
// that is 05:45.
constexpr int kKathmandu = 5 * 60 + 45;

std::string InfoWithDate(const std::string& date) {
    return "[Trash Info]\nPath=/home/bob/x\nDeletionDate=" + date + "\n";
}

void Trash(sim::SimWindows& sim, const Text& name, std::string info, std::string bytes) {
    sim.files().AddFile(kInfo + u"\\" + name + u".trashinfo", std::move(info));
    sim.files().AddFile(kFiles + u"\\" + name, std::move(bytes));
}

// Runs one removal with `choose` and gives what it saw.
struct RemovalRun {
    RecycleBinResult result;
    std::vector<RecycleBinItem> seen;
};

RemovalRun RemoveWith(sim::SimWindows& sim, const RecycleBinItemChooser& choose) {
    RemovalRun run;
    WineTrashRecycleBin bin(sim.platform());
    run.result = bin.RemoveItems(RecycleBinTask::RemoveOld,
                                 [&](const std::vector<RecycleBinItem>& items) {
                                     run.seen = items;
                                     return choose(items);
                                 })();
    return run;
}

const RecycleBinItem* Named(const std::vector<RecycleBinItem>& items, const Text& name) {
    for (const RecycleBinItem& item : items) {
        if (item.name == name) return &item;
    }
    return nullptr;
}

TEST(WineTrashRemoval, AgeTakesExactlyTheItemsPastItsDaysByTheirLocalDatesAndNeverALinksTarget) {
    sim::SimWindows sim;
    MakeWineWithTrash(sim);
    sim.kernel().SetUtcOffsetMinutes(kKathmandu);
    const FileTime now = sim.kernel().SystemTime();
    Trash(sim, u"past", InfoWithDate("2026-11-09T05:44:59"), "p");  // 30 days and a second
    Trash(sim, u"boundary", InfoWithDate("2026-11-09T05:45:00"), "b");  // exactly 30 days
    Trash(sim, u"recent", InfoWithDate("2026-12-08T23:00:00"), "r");
    sim.files().AddFile(kInfo + u"\\olddir.trashinfo", InfoWithDate("2026-09-10T08:00:00"));
    sim.files().AddFile(kFiles + u"\\olddir\\a.txt", "aaaaa");
    sim.files().AddFile(kFiles + u"\\olddir\\sub\\f.txt", "fffffff");
    // An old item that is a Unix link to a folder outside the Trash.
    sim.files().AddFile(u"Z:\\srv\\keep\\data.txt", "outside");
    sim.files().AddFile(kInfo + u"\\linked.trashinfo", InfoWithDate("2026-09-10T08:00:00"));
    sim.files().AddUnixLink(kFiles + u"\\linked", u"Z:\\srv\\keep");

    const RemovalRun run = RemoveWith(sim, [now](const std::vector<RecycleBinItem>& items) {
        return ItemsOlderThan(items, now, 30);
    });

    ASSERT_EQ(run.seen.size(), 5u);
    EXPECT_EQ(Named(run.seen, u"past")->deletedAt, now - 30 * kFileTimePerDay - kSecond);
    EXPECT_EQ(Named(run.seen, u"olddir")->bytes, 12u) << "a folder's contents count";
    EXPECT_EQ(Named(run.seen, u"linked")->bytes, 0u) << "a link is never followed";
    EXPECT_EQ(run.result.removed, 2u);
    EXPECT_EQ(sim.files().Tree(kInfo),
              (std::vector<Text>{kInfo + u"\\boundary.trashinfo", kInfo + u"\\linked.trashinfo",
                                 kInfo + u"\\recent.trashinfo"}));
    EXPECT_TRUE(sim.files().Contents(kFiles + u"\\boundary"));
    EXPECT_FALSE(sim.files().PathFileExists(kFiles + u"\\olddir"));
    EXPECT_EQ(sim.files().Contents(u"Z:\\srv\\keep\\data.txt"), "outside");
    EXPECT_LT(run.result.status, 0) << "the link could not go, and that is told";
}

TEST(WineTrashRemoval, AnItemWithoutAReadableDateIsNeverRemovedByAgeOrBySize) {
    const std::string tooLarge = InfoWithDate("2026-01-01T00:00:00") + std::string(70'000, '#');
    const struct {
        const char* label;
        std::string info;
    } undated[] = {
        {"no date", "[Trash Info]\nPath=/home/bob/x\n"},
        {"empty", ""},
        {"30 February", InfoWithDate("2026-02-30T10:00:00")},
        {"29 February of a common year", InfoWithDate("2026-02-29T10:00:00")},  // Wine takes it
        {"a 24th hour", InfoWithDate("2026-01-01T24:00:00")},
        {"a blank for the T", InfoWithDate("2026-01-01 10:00:00")},
        {"a zone", InfoWithDate("2026-01-01T10:00:00Z")},
        {"a sign", InfoWithDate("+2026-01-01T10:00:00")},
        {"before 1601", InfoWithDate("1600-01-01T00:00:00")},
        {"in another group", "[Other]\nDeletionDate=2026-01-01T10:00:00\n[Trash Info]\nPath=/x\n"},
        {"two dates", InfoWithDate("2026-01-01T10:00:00") + "DeletionDate=2026-01-02T10:00:00\n"},
        {"two groups",
         InfoWithDate("2026-01-01T10:00:00") + "[Trash Info]\nDeletionDate=2026-01-02T10:00:00\n"},
        {"larger than a .trashinfo", tooLarge},
        {"binary", std::string("\0\xff[Trash Info]\0DeletionDate=\xff", 30)},
    };
    for (const auto& c : undated) {
        sim::SimWindows sim;
        MakeWineWithTrash(sim);
        Trash(sim, u"dated", InfoWithDate("2026-06-01T10:00:00"), std::string(100, 'd'));
        Trash(sim, u"undated", c.info, std::string(1000, 'u'));

        const RemovalRun run = RemoveWith(sim, [&](const std::vector<RecycleBinItem>& items) {
            std::vector<std::size_t> chosen = ItemsOlderThan(items, sim.kernel().SystemTime(), 1);
            for (const std::size_t index : ItemsOverSize(items, 0)) chosen.push_back(index);
            return chosen;
        });

        ASSERT_EQ(run.seen.size(), 2u) << c.label;
        EXPECT_FALSE(Named(run.seen, u"undated")->deletedAt) << c.label;
        EXPECT_EQ(run.result.removed, 1u) << c.label;
        EXPECT_EQ(sim.files().Contents(kFiles + u"\\undated"), std::string(1000, 'u')) << c.label;
        EXPECT_TRUE(sim.files().PathFileExists(kInfo + u"\\undated.trashinfo")) << c.label;
    }

    // Nor is a .trashinfo that is a link to a dated file elsewhere ever read.
    sim::SimWindows sim;
    MakeWineWithTrash(sim);
    sim.files().AddFile(u"Z:\\srv\\old.trashinfo", InfoWithDate("2020-01-01T00:00:00"));
    sim.files().AddUnixLink(kInfo + u"\\linked.trashinfo", u"Z:\\srv\\old.trashinfo");
    sim.files().AddFile(kFiles + u"\\linked", "l");
    const RemovalRun run = RemoveWith(sim, [](const std::vector<RecycleBinItem>&) {
        return std::vector<std::size_t>{};
    });
    ASSERT_EQ(run.seen.size(), 1u);
    EXPECT_FALSE(run.seen[0].deletedAt);
}

TEST(WineTrashRemoval, DatesAreReadAsFileManagersWriteThem) {
    for (const std::string& info :
         {std::string("\xEF\xBB\xBF[Trash Info]\r\nPath=/home/bob/x\r\n"
                      "DeletionDate=2026-06-01T10:00:00\r\n"),
          std::string("# written by hand\n[Trash Info]\nDeletionDate = 2026-06-01T10:00:00 \n"
                      "Path=/home/bob/x\n[Extra]\nDeletionDate=1999-01-01T00:00:00\n"),
          std::string("[Trash Info]\nPath=/home/bob/x\nDeletionDate=2026-06-01T10:00:00")}) {
        sim::SimWindows sim;
        MakeWineWithTrash(sim);
        Trash(sim, u"item", info, "i");
        const RemovalRun run = RemoveWith(sim, [](const std::vector<RecycleBinItem>&) {
            return std::vector<std::size_t>{};
        });
        ASSERT_EQ(run.seen.size(), 1u) << info;
        EXPECT_EQ(run.seen[0].deletedAt,
                  sim.kernel().LocalTimeToSystemTime(CalendarTime{2026, 6, 1, 10, 0, 0}))
            << info;
    }
}

TEST(WineTrashRemoval, ATrashLeftAloneLosesNothingAndNoShellIsAskedInstead) {
    sim::SimWindows sim;
    MakeWineWithTrash(sim);
    Trash(sim, u"old", InfoWithDate("2020-01-01T00:00:00"), "o");
    sim.files().AddFolder(u"Z:\\srv");
    sim.files().MoveEntry(kTrash, u"Z:\\srv\\Trash");
    sim.files().AddUnixLink(kTrash, u"Z:\\srv\\Trash");
    sim.shell().AddToRecycleBin(u'C', 1, 0);

    bool asked = false;
    const RemovalRun run = RemoveWith(sim, [&](const std::vector<RecycleBinItem>& items) {
        asked = true;
        return ItemsOverSize(items, 0);
    });

    EXPECT_FALSE(asked);
    EXPECT_EQ(run.result.removed, 0u);
    EXPECT_LT(run.result.status, 0);
    EXPECT_TRUE(sim.files().Deletions().empty());
    EXPECT_EQ(sim.shell().RemoveItemsCalls(), 0);
}

// The app with Dustvale.ini: items of 100 KiB trashed half a day less than 1 to 90 days ago.
TEST(AppWineTrashRemoval, TheSizeRuleRemovesTheOldestFirstDownToTheLimitAndKeepsAutoCleanCfg) {
    AppScene scene;
    MakeWineWithTrash(scene.sim);
    scene.sim.files().AddFile(apptest::kSettingsFile, "OFF\r\n");
    scene.sim.files().AddFile(u"C:\\Program Files\\Dustvale\\Dustvale.ini",
                              "KeepBinUnderSize=on\r\nBinSizeLimitMB=1\r\n");
    for (int days = 1; days <= 90; ++days) {
        const std::chrono::year_month_day trashed{std::chrono::sys_days{
            std::chrono::year{2026} / 12 / 9} - std::chrono::days{days}};
        char date[24];
        std::snprintf(date, sizeof date, "%04d-%02u-%02uT12:00:00", int{trashed.year()},
                      unsigned{trashed.month()}, unsigned{trashed.day()});
        const std::string name = "item" + std::to_string(days);
        Trash(scene.sim, Text(name.begin(), name.end()), InfoWithDate(date),
              std::string(100 * 1024, 'x'));
    }
    scene.Create();
    scene.sim.Advance(3000);

    std::vector<Text> left = scene.sim.files().Tree(kFiles);
    std::vector<Text> newest;
    for (int days = 1; days <= 10; ++days) {
        const std::string name = "item" + std::to_string(days);
        newest.push_back(kFiles + u"\\" + Text(name.begin(), name.end()));
    }
    std::sort(left.begin(), left.end());
    std::sort(newest.begin(), newest.end());
    EXPECT_EQ(left, newest);
    EXPECT_EQ(scene.sim.files().Tree(kInfo).size(), 10u);
    EXPECT_EQ(scene.ShownIcon()->tip, u"Dustvale (10 items)");
    EXPECT_EQ(scene.sim.files().Contents(apptest::kSettingsFile), "OFF\r\n");
    EXPECT_EQ(scene.sim.shell().RemoveItemsCalls(), 0);
}

}  // namespace
}  // namespace dustvale
