#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "TrashTestScene.h"
#include "clean/TrashCount.h"
#include "clean/TrashEmptier.h"
#include "clean/TrashFolder.h"
#include "clean/TrashItemRemoval.h"
#include "clean/TrashListing.h"

namespace dustvale {
namespace {

using namespace trashtest;

HeldTrash Open(sim::SimWindows& sim) {
    const TrashLocation location = LocateTrash(sim.kernel());
    EXPECT_TRUE(location.place) << std::string(location.refusal.begin(), location.refusal.end());
    TrashOpening opening = OpenTrash(sim.files(), *location.place);
    EXPECT_TRUE(opening.held);
    return std::move(*opening.held);
}

std::ptrdiff_t PositionOf(const std::vector<Text>& deletions, const Text& path) {
    const auto found = std::find(deletions.begin(), deletions.end(), path);
    EXPECT_NE(found, deletions.end()) << std::string(path.begin(), path.end());
    return found - deletions.begin();
}

TEST(TrashLocation, FoundWhereWineKeepsItAndRefusedOutsideTheHomeFolder) {
    struct Case {
        std::optional<Text> dataHome;
        std::optional<Text> homeDir;
        Text trash;          // empty when refused
        Text refusalHolds;   // a part of the reason
    } cases[] = {
        {u"/home/bob/.local/share", u"\\??\\Z:\\home\\bob", kTrash, {}},
        {std::nullopt, u"\\??\\Z:\\home\\bob", kTrash, {}},
        // Wine takes only a full Unix path.
        {u"relative/share", u"\\??\\Z:\\home\\bob", kTrash, {}},
        {u"/home/bob/data", u"\\??\\Z:\\home\\bob\\", u"Z:\\home\\bob\\data\\Trash", {}},
        {u"/srv/shared", u"\\??\\Z:\\home\\bob", {}, u"outside the home folder"},
        {u"/home/bobby/share", u"\\??\\Z:\\home\\bob", {}, u"outside the home folder"},
        {u"/home/bob/../eve/share", u"\\??\\Z:\\home\\bob", {}, u"outside the home folder"},
        {u"/home/bob", u"\\??\\Z:\\home\\bob", kHome + u"\\Trash", {}},
        {u"/home/bob/share", std::nullopt, {}, u"WINEHOMEDIR"},
        {u"/home/bob/share", u"\\??\\unix\\home\\bob", {}, u"on no drive"},
    };
    for (const Case& c : cases) {
        sim::SimWindows sim;
        MakeWineWithTrash(sim);
        sim.kernel().SetEnvironmentVariable(u"XDG_DATA_HOME", c.dataHome);
        sim.kernel().SetEnvironmentVariable(u"WINEHOMEDIR", c.homeDir);
        const TrashLocation location = LocateTrash(sim.kernel());
        const Text dataHome = c.dataHome.value_or(u"-");
        const std::string label(dataHome.begin(), dataHome.end());
        if (c.trash.empty()) {
            EXPECT_FALSE(location.place) << label;
            EXPECT_NE(location.refusal.find(c.refusalHolds), Text::npos) << label;
        } else {
            ASSERT_TRUE(location.place) << label;
            EXPECT_EQ(location.place->trash, c.trash) << label;
            EXPECT_EQ(location.place->home, kHome) << label;
        }
    }
}

TEST(TrashOpening, ATrashThatIsALinkOrHoldsOneIsRefusedAndAMissingOneIsEmpty) {
    {
        sim::SimWindows sim;
        MakeWineWithTrash(sim);
        sim.files().AddFolder(u"Z:\\srv");
        sim.files().MoveEntry(kTrash, u"Z:\\srv\\Trash");
        sim.files().AddUnixLink(kTrash, u"Z:\\srv\\Trash");
        const TrashOpening opening = OpenTrash(sim.files(), *LocateTrash(sim.kernel()).place);
        EXPECT_FALSE(opening.held);
        EXPECT_EQ(opening.refusal, kTrash + u" is a link");
    }
    {
        sim::SimWindows sim;
        MakeWineWithTrash(sim);
        sim.files().RemoveEntry(kFiles);
        sim.files().AddFolder(u"Z:\\srv\\files");
        sim.files().AddUnixLink(kFiles, u"Z:\\srv\\files");
        const TrashOpening opening = OpenTrash(sim.files(), *LocateTrash(sim.kernel()).place);
        EXPECT_FALSE(opening.held);
        EXPECT_EQ(opening.refusal, kFiles + u" is a link");
    }
    {
        sim::SimWindows sim;
        MakeWineWithTrash(sim);
        sim.files().RemoveEntry(kTrash);
        const TrashOpening opening = OpenTrash(sim.files(), *LocateTrash(sim.kernel()).place);
        EXPECT_FALSE(opening.held);
        EXPECT_TRUE(opening.missing);
        EXPECT_TRUE(opening.refusal.empty());
    }
}

// The same on Wine's handles, which delete at the close, and on Windows' own.
class TrashEmptier : public ::testing::TestWithParam<bool> {
protected:
    TrashEmptier() { MakeWineWithTrash(sim, GetParam()); }
    sim::SimWindows sim;
};

TEST_P(TrashEmptier, RemovesEveryItemFileBeforeItsTrashinfoAndTouchesNothingElse) {
    TrashFolderAndFile(sim);
    sim.files().AddFile(kTrash + u"\\directorysizes", "12 1765270800 olddir\n");
    sim.files().AddFile(kFiles + u"\\stray.bin", "no .trashinfo describes it");
    AddTrashInfo(sim, u"pending.txt");  // a trashing under way: its file is not there yet
    sim.files().AddFile(kHome + u"\\olddir.keep", "beside the Trash");

    const TrashEmptying emptying = EmptyTrash(sim.files(), Open(sim));

    EXPECT_FALSE(emptying.refused);
    EXPECT_EQ(emptying.removed, 2u);
    EXPECT_EQ(emptying.kept + emptying.infoKept, 0u);
    EXPECT_TRUE(sim.files().Tree(kFiles).empty());
    EXPECT_EQ(sim.files().Tree(kInfo), std::vector<Text>{kInfo + u"\\pending.txt.trashinfo"});
    EXPECT_FALSE(sim.files().Exists(kTrash + u"\\directorysizes"));
    const std::vector<Text>& deleted = sim.files().Deletions();
    for (const Text& path : deleted) {
        EXPECT_TRUE(path.starts_with(kTrash + u"\\")) << std::string(path.begin(), path.end());
    }
    EXPECT_LT(PositionOf(deleted, kFiles + u"\\olddir\\sub\\f.txt"),
              PositionOf(deleted, kFiles + u"\\olddir"));
    EXPECT_LT(PositionOf(deleted, kFiles + u"\\olddir"),
              PositionOf(deleted, kInfo + u"\\olddir.trashinfo"));
    EXPECT_LT(PositionOf(deleted, kFiles + u"\\letter.txt"),
              PositionOf(deleted, kInfo + u"\\letter.txt.trashinfo"));
    EXPECT_EQ(sim.files().OpenHandles(), 0u);
}

TEST_P(TrashEmptier, AnItemThatCannotGoStaysWhole) {
    TrashFolderAndFile(sim);
    sim.files().SetInUse(kFiles + u"\\letter.txt", true);
    // A trashed link: Wine 8 opens it as what it leads to and could only remove that.
    sim.files().AddFile(kHome + u"\\precious\\thesis.odt", "years of work");
    AddTrashInfo(sim, u"shortcut");
    sim.files().AddUnixLink(kFiles + u"\\shortcut", kHome + u"\\precious");
    // What a folder holds goes; a folder whose own folder lets it not go stays, and the item.
    sim.files().SetReadOnlyFolder(kFiles + u"\\olddir\\sub", true);

    const TrashEmptying emptying = EmptyTrash(sim.files(), Open(sim));

    EXPECT_EQ(emptying.removed, 0u);
    EXPECT_EQ(emptying.kept, 3u);
    for (const Text name : {u"letter.txt", u"shortcut", u"olddir"}) {
        EXPECT_TRUE(sim.files().Exists(kFiles + u"\\" + name));
        EXPECT_TRUE(sim.files().Exists(kInfo + u"\\" + name + u".trashinfo"));
    }
    EXPECT_TRUE(sim.files().Exists(kFiles + u"\\olddir\\sub\\f.txt"));
    EXPECT_EQ(sim.files().Contents(kHome + u"\\precious\\thesis.odt"), "years of work");
}

INSTANTIATE_TEST_SUITE_P(Handles, TrashEmptier, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Wine" : "Windows"; });

// The items the Trash's two folders list, in info/'s order.
std::vector<TrashItem> ListItems(const HeldTrash& trash) {
    std::map<Text, DirectoryEntry> files;
    ForEachListed(*trash.files.handle, [&](const DirectoryEntry& e) { files[e.name] = e; });
    std::vector<TrashItem> items;
    ForEachListed(*trash.info.handle, [&](const DirectoryEntry& info) {
        const auto file = files.find(Text(DescribedFile(info.name).value_or(u"")));
        if (file != files.end()) items.push_back(TrashItem{file->second, info});
    });
    return items;
}

// Wine deletes at the close by path and does not say when the folder refuses: with files/
// without write permission, its own emptying deletes every .trashinfo and keeps every file.
TEST(TrashItemRemoval, UnderWineAFileTheFolderKeepsKeepsItsTrashinfo) {
    sim::SimWindows sim;
    MakeWineWithTrash(sim);
    TrashFolderAndFile(sim);
    sim.files().SetReadOnlyFolder(kFiles, true);
    const HeldTrash trash = Open(sim);
    TrashItemRemover remover(sim.files(), trash, 2);
    for (TrashItem& item : ListItems(trash)) remover.Remove(std::move(item));
    const TrashRemovalTally tally = remover.Finish();

    EXPECT_EQ(tally.kept, 2u);
    EXPECT_EQ(tally.removed + tally.infoKept, 0u);
    for (const Text name : {u"olddir", u"letter.txt"}) {
        EXPECT_TRUE(sim.files().Exists(kFiles + u"\\" + name));
        EXPECT_TRUE(sim.files().Exists(kInfo + u"\\" + name + u".trashinfo"));
    }

    // The emptying sees the folder's protection and touches nothing at all.
    const std::size_t deletions = sim.files().Deletions().size();
    const TrashEmptying emptying = EmptyTrash(sim.files(), Open(sim));
    EXPECT_TRUE(emptying.refused);
    EXPECT_EQ(emptying.refusal, kFiles + u" is write-protected: no item could go");
    EXPECT_EQ(sim.files().Deletions().size(), deletions);
}

// Wine reads a whole folder to find that a name is not there: removing item after item of a
// large Trash must not look for each one gone, or the removal grows with the square of it.
TEST(TrashItemRemoval, ALargeTrashIsReadAFewTimesNotOncePerItem) {
    sim::SimWindows sim;
    MakeWineWithTrash(sim);
    constexpr int kItems = 1000;
    auto name = [](int n) {
        const std::string digits = std::to_string(n);
        return u"file" + Text(digits.begin(), digits.end()) + u".txt";
    };
    std::set<Text> chosen;
    for (int n = 0; n < kItems; n += 2) chosen.insert(name(n));
    for (int n = 0; n < kItems; ++n) TrashFile(sim, name(n), "x");
    sim.files().SetInUse(kFiles + u"\\" + name(2), true);               // stays whole
    sim.files().SetInUse(kInfo + u"\\" + name(4) + u".trashinfo", true);  // its file goes
    const HeldTrash trash = Open(sim);
    const std::size_t listingsBefore = sim.files().Listings().size();

    TrashItemRemover remover(sim.files(), trash, kItems);
    for (TrashItem& item : ListItems(trash)) {
        if (chosen.contains(item.file.name)) remover.Remove(std::move(item));
    }
    const TrashRemovalTally tally = remover.Finish();

    EXPECT_EQ(tally.removed, kItems / 2 - 2);
    EXPECT_EQ(tally.kept, 1u);
    EXPECT_EQ(tally.infoKept, 1u);
    for (int n = 0; n < kItems; ++n) {
        const bool stays = n % 2 == 1 || n == 2;
        EXPECT_EQ(sim.files().Exists(kFiles + u"\\" + name(n)), stays) << n;
        EXPECT_EQ(sim.files().Exists(kInfo + u"\\" + name(n) + u".trashinfo"), stays || n == 4)
            << n;
    }
    const std::vector<Text>& listings = sim.files().Listings();
    EXPECT_LT(listings.size() - listingsBefore, 40u);
}

TEST(TrashCounter, CountsItemsWithTheirFilesAndWhatTheirFoldersHoldReadingTheFoldersOnce) {
    sim::SimWindows sim;
    MakeWineWithTrash(sim);
    TrashFolderAndFile(sim);                                   // 15 bytes in 2 items
    AddTrashInfo(sim, u"pending.txt");                         // no file: no item
    sim.files().AddFile(kFiles + u"\\stray.bin", "0123456789");  // no .trashinfo: no item
    sim.files().AddFile(u"Z:\\srv\\big\\huge.iso", std::string(1000, 'x'));
    AddTrashInfo(sim, u"link");
    sim.files().AddUnixLink(kFiles + u"\\link", u"Z:\\srv\\big");  // the link, not its target

    TrashCounter counter;
    const auto count = [&] { return counter.Count(sim.files(), sim.kernel(), Open(sim)); };
    EXPECT_EQ(count(), (TrashFigures{3, 15}));
    const auto& listed = sim.files().Listings();
    EXPECT_EQ(std::count(listed.begin(), listed.end(), u"Z:\\srv\\big"), 0) << "a link followed";
    EXPECT_EQ(count(), (TrashFigures{3, 15}));

    // A file arriving, and the file that completes a .trashinfo waiting for it: added up.
    TrashFile(sim, u"new.txt", "1234");
    sim.files().AddFile(kFiles + u"\\pending.txt", "12");
    EXPECT_EQ(count(), (TrashFigures{5, 21}));
    AddTrashInfo(sim, u"newdir");
    sim.files().AddFile(kFiles + u"\\newdir\\inner\\x.bin", "123456");
    EXPECT_EQ(count(), (TrashFigures{6, 27}));
    // Still being written when it was counted: measured again. A file no item holds goes.
    sim.files().AddFile(kFiles + u"\\new.txt", "123456789");
    sim.files().RemoveEntry(kFiles + u"\\stray.bin");
    EXPECT_EQ(count(), (TrashFigures{6, 32}));
    EXPECT_EQ(counter.Recounts(), 1u) << "arrivals are looked at alone";

    // An item restored by a file manager: counted anew.
    sim.files().RemoveEntry(kFiles + u"\\olddir");
    EXPECT_EQ(count(), (TrashFigures{5, 20}));
    EXPECT_EQ(counter.Recounts(), 2u);
    // A file counted by that reading that changes size: counted anew.
    sim.files().AddFile(kFiles + u"\\new.txt", "1");
    EXPECT_EQ(count(), (TrashFigures{5, 12}));
    EXPECT_EQ(counter.Recounts(), 3u);
    // More changes than a watch holds between two looks: counted anew.
    sim.files().SetWatchCapacity(2);
    for (const Text name : {u"p.txt", u"q.txt", u"r.txt"}) TrashFile(sim, name, "x");
    EXPECT_EQ(count(), (TrashFigures{8, 15}));
    EXPECT_EQ(counter.Recounts(), 4u);
}

// A file trashed while the folders are read is in the listing and among the arrivals: it
// counts once.
TEST(TrashCounter, AFileTrashedDuringTheCountCountsOnce) {
    sim::SimWindows sim;
    MakeWineWithTrash(sim);
    TrashFolderAndFile(sim);
    bool reading = false, trashed = false;
    sim.files().WatchCalls([&](std::uint64_t, const Text& about) {
        reading = about == kFiles + u"\\*";
    });
    sim.files().BeforeEachCall([&](std::uint64_t) {
        if (!reading || trashed) return;
        trashed = true;
        TrashFile(sim, u"during.txt", "12345");
    });
    TrashCounter counter;
    EXPECT_EQ(counter.Count(sim.files(), sim.kernel(), Open(sim)), (TrashFigures{3, 20}));
    ASSERT_TRUE(trashed);
    EXPECT_EQ(counter.Count(sim.files(), sim.kernel(), Open(sim)), (TrashFigures{3, 20}));
    EXPECT_EQ(counter.Recounts(), 1u);
}

// Where folders cannot be watched, their times tell: read again while they move, and once more
// after, since a change in the same step of their clock leaves them as they were.
TEST(TrashCounter, WithoutWatchesTheFoldersTimesTellAChange) {
    sim::SimWindows sim;
    MakeWineWithTrash(sim);
    TrashFolderAndFile(sim);
    sim.files().SetWatchCapacity(0);
    TrashCounter counter;
    const auto count = [&] { return counter.Count(sim.files(), sim.kernel(), Open(sim)); };
    EXPECT_EQ(count(), (TrashFigures{2, 15}));
    EXPECT_EQ(count(), (TrashFigures{2, 15}));
    EXPECT_EQ(count(), (TrashFigures{2, 15}));
    EXPECT_EQ(counter.Recounts(), 2u);
    TrashFile(sim, u"new.txt", "1234");
    EXPECT_EQ(count(), (TrashFigures{3, 19}));
    EXPECT_EQ(counter.Recounts(), 3u);
}

}  // namespace
}  // namespace dustvale
