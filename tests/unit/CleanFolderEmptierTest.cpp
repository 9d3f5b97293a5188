#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "clean/FolderEmptier.h"
#include "clean/FolderOpening.h"
#include "clean/ForcedDelete.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimWindowing.h"
#include "platform/sim/SimWindows.h"

namespace dustvale {
namespace {

// Empties `folder` as the cleaner does: opened as an entry of the folder holding it.
void EmptyIn(const Platform& platform, const Text& folder) {
    auto held = OpenFolderBelow(platform.files, folder, folder, rights::kListDirectory);
    ASSERT_TRUE(held);
    DeleteFolderContents(platform.files, *held, [&] { platform.windows.ProcessPendingMessages(); });
}

class CleanFolderEmptier : public ::testing::Test {
protected:
    sim::SimFileSystem& files() { return sim.files(); }
    void Empty(const Text& folder) { EmptyIn(sim.platform(), folder); }

    sim::SimWindows sim;
};

TEST_F(CleanFolderEmptier, DeletesInTheReverseOfListingOrderAndKeepsTheFolder) {
    files().AddFile(u"C:\\T\\a.txt");
    files().AddFolder(u"C:\\T\\sub");
    files().AddFile(u"C:\\T\\sub\\x.txt");
    files().AddFile(u"C:\\T\\sub\\y.txt");
    files().AddFile(u"C:\\T\\b.txt");

    Empty(u"C:\\T");

    const std::vector<Text> expected = {
        u"C:\\T\\b.txt", u"C:\\T\\sub\\y.txt", u"C:\\T\\sub\\x.txt", u"C:\\T\\sub",
        u"C:\\T\\a.txt",
    };
    EXPECT_EQ(files().Deletions(), expected);
    EXPECT_TRUE(files().Exists(u"C:\\T"));
    EXPECT_TRUE(files().Tree(u"C:\\T").empty());
    EXPECT_EQ(files().OpenSearches(), 0u);
}

TEST_F(CleanFolderEmptier, ReadOnlyHiddenAndSystemItemsGoLikeAnyOther) {
    const std::uint32_t kinds[] = {attr::kReadOnly, attr::kHidden, attr::kSystem,
                                   attr::kReadOnly | attr::kHidden | attr::kSystem};
    int n = 0;
    for (const auto kind : kinds) {
        const Text number(1, static_cast<char16_t>(u'0' + n++));
        files().AddFile(u"C:\\T\\file" + number, "x", kind);
        files().AddFolder(u"C:\\T\\folder" + number, attr::kDirectory | kind);
        files().AddFile(u"C:\\T\\folder" + number + u"\\inner", "x", kind);
    }

    Empty(u"C:\\T\\");

    EXPECT_TRUE(files().Tree(u"C:\\T").empty());
    EXPECT_TRUE(files().Exists(u"C:\\T"));
}

TEST_F(CleanFolderEmptier, AFileInUseStaysWithItsParentsWhileItsSiblingsGo) {
    files().AddFile(u"C:\\T\\before.txt");
    files().AddFile(u"C:\\T\\sub\\deeper\\locked.dat");
    files().AddFile(u"C:\\T\\sub\\deeper\\free.dat");
    files().AddFile(u"C:\\T\\sub\\free.dat");
    files().AddFile(u"C:\\T\\after.txt");
    files().SetInUse(u"C:\\T\\sub\\deeper\\locked.dat", true);
    // Another program's current folder stays, but what it holds goes.
    files().AddFile(u"C:\\T\\current\\old.tmp");
    files().SetInUse(u"C:\\T\\current", true);

    Empty(u"C:\\T");

    const std::vector<Text> expected = {u"C:\\T\\current", u"C:\\T\\sub",
                                        u"C:\\T\\sub\\deeper",
                                        u"C:\\T\\sub\\deeper\\locked.dat"};
    EXPECT_EQ(files().Tree(u"C:\\T"), expected);
}

TEST_F(CleanFolderEmptier, AFolderThatRefusesListingIsLeftAlone) {
    files().AddFile(u"C:\\T\\guarded\\keep.dat");
    files().AddFile(u"C:\\T\\free.dat");
    files().SetDenyListing(u"C:\\T\\guarded", true);

    Empty(u"C:\\T");

    EXPECT_TRUE(files().Exists(u"C:\\T\\guarded\\keep.dat"));
    EXPECT_FALSE(files().Exists(u"C:\\T\\free.dat"));

    files().SetDenyListing(u"C:\\T", true);
    files().AddFile(u"C:\\T\\new.dat");
    Empty(u"C:\\T");
    EXPECT_TRUE(files().Exists(u"C:\\T\\new.dat"));
}

TEST_F(CleanFolderEmptier, ALinkToAnOutsideFolderIsRemovedAndItsTargetUntouched) {
    const std::uint32_t guarded = attr::kDirectory | attr::kReadOnly | attr::kHidden;
    files().AddFolder(u"C:\\Outside", guarded);
    files().AddFile(u"C:\\Outside\\keep.dat", "precious", attr::kReadOnly | attr::kHidden);
    files().AddFolder(u"C:\\Outside\\inner", guarded);
    files().AddFolderLink(u"C:\\T\\link", u"C:\\Outside");
    files().AddFolderLink(u"C:\\T\\sub\\nested link", u"C:\\Outside\\inner");
    files().AddFileLink(u"C:\\T\\file link", u"C:\\Outside\\keep.dat");

    Empty(u"C:\\T");

    EXPECT_FALSE(files().Exists(u"C:\\T\\link"));
    EXPECT_TRUE(files().Tree(u"C:\\T").empty());
    EXPECT_EQ(files().Contents(u"C:\\Outside\\keep.dat"), "precious");
    EXPECT_EQ(files().Attributes(u"C:\\Outside\\keep.dat"), attr::kReadOnly | attr::kHidden);
    EXPECT_EQ(files().Attributes(u"C:\\Outside"), guarded);
    EXPECT_EQ(files().Attributes(u"C:\\Outside\\inner"), guarded);
}

TEST_F(CleanFolderEmptier, ALinkToItsOwnParentDoesNotLoop) {
    files().AddFile(u"C:\\T\\sub\\file.txt");
    files().AddFolderLink(u"C:\\T\\sub\\up", u"C:\\T\\sub");
    files().AddFolderLink(u"C:\\T\\top", u"C:\\T");

    Empty(u"C:\\T");

    EXPECT_TRUE(files().Tree(u"C:\\T").empty());
    EXPECT_TRUE(files().Exists(u"C:\\T"));
}

// Links as Wine shows Unix symbolic links: a link to a file lists as that file, and deleting
// or changing it acts on the file; removing a link to an empty folder removes that folder.
// Only their final paths give them away. Every case puts links in `where` (inside the emptied
// folder C:\T) to targets outside, beside a plain file that must go.
TEST_F(CleanFolderEmptier, UnixLinksThatDoNotShowAsLinksLeaveTheirTargetsAlone) {
    const struct {
        const char* what;
        Text where;
    } cases[] = {
        {"in the emptied folder", u"C:\\T"},
        {"nested in a sub-folder", u"C:\\T\\sub\\deeper"},
        {"in a read-only, hidden sub-folder", u"C:\\T\\guarded"},
    };
    for (const auto& c : cases) {
        sim::SimWindows fresh;
        auto& fs = fresh.files();
        fs.AddFile(u"C:\\Outside\\keep.dat", "precious", attr::kReadOnly | attr::kHidden);
        fs.AddFolder(u"C:\\Outside\\empty");
        fs.AddFile(u"C:\\Outside\\full\\inner.dat", "inner");
        // A sibling folder whose name merely starts with the emptied folder's.
        fs.AddFile(u"C:\\T2\\near.dat", "near");
        fs.AddFolder(u"C:\\T\\guarded", attr::kDirectory | attr::kReadOnly | attr::kHidden);
        fs.AddFile(c.where + u"\\plain.txt");
        fs.AddUnixLink(c.where + u"\\to file.dat", u"C:\\Outside\\keep.dat");
        fs.AddUnixLink(c.where + u"\\to empty", u"C:\\Outside\\empty");
        fs.AddUnixLink(c.where + u"\\to full", u"C:\\Outside\\full");
        fs.AddUnixLink(c.where + u"\\near.dat", u"C:\\T2\\near.dat");
        const auto outsideBefore = fs.Tree(u"C:\\Outside");

        EmptyIn(fresh.platform(), u"C:\\T");

        EXPECT_FALSE(fs.Exists(c.where + u"\\plain.txt")) << c.what;
        EXPECT_EQ(fs.Tree(u"C:\\Outside"), outsideBefore) << c.what;
        EXPECT_EQ(fs.Contents(u"C:\\Outside\\keep.dat"), "precious") << c.what;
        EXPECT_EQ(fs.Attributes(u"C:\\Outside\\keep.dat"), attr::kReadOnly | attr::kHidden)
            << c.what;
        EXPECT_EQ(fs.Contents(u"C:\\T2\\near.dat"), "near") << c.what;
        for (const Text& deleted : fs.Deletions()) {
            EXPECT_TRUE(deleted.starts_with(u"C:\\T\\")) << c.what;
        }
    }
}

TEST_F(CleanFolderEmptier, TheForcedFolderDeleteLeavesUnixLinkTargetsAlone) {
    files().AddFile(u"C:\\Outside\\keep.dat", "precious");
    files().AddFolder(u"C:\\Outside\\empty");
    files().AddFile(u"C:\\T\\sub\\plain.txt");
    files().AddUnixLink(u"C:\\T\\sub\\inner\\to file", u"C:\\Outside\\keep.dat");
    files().AddUnixLink(u"C:\\T\\sub\\to empty", u"C:\\Outside\\empty");

    auto sub = OpenFolderBelow(files(), u"C:\\T", u"C:\\T\\sub", delete_rights::kFolder);
    ASSERT_TRUE(sub);
    EXPECT_FALSE(ForceDeleteFolder(files(), *sub));

    EXPECT_EQ(files().Contents(u"C:\\Outside\\keep.dat"), "precious");
    EXPECT_TRUE(files().Exists(u"C:\\Outside\\empty"));
    EXPECT_FALSE(files().Exists(u"C:\\T\\sub\\plain.txt"));
}

TEST_F(CleanFolderEmptier, AnEntryThatVanishesWhileMessagesRunIsPassedOver) {
    files().AddFile(u"C:\\T\\a.txt");
    files().AddFile(u"C:\\T\\b.txt");
    files().AddFile(u"C:\\T\\c.txt");
    // Runs at the first yield, while the folder is being listed.
    sim.windows().At(0, [&] { files().DeleteFile(u"C:\\T\\b.txt"); });

    Empty(u"C:\\T");

    EXPECT_TRUE(files().Tree(u"C:\\T").empty());
}

TEST_F(CleanFolderEmptier, AFolderSwappedForALinkWhileMessagesRunKeepsItsTargetsFiles) {
    // While messages run, the emptied folder itself, or one of its sub-folders, becomes a link
    // to an outside folder holding files of the same names.
    files().AddFile(u"C:\\T\\D\\x.txt", "in");
    files().AddFile(u"C:\\T\\sub\\y.txt", "in");
    files().AddFile(u"C:\\O\\x.txt", "outside");
    files().AddFolder(u"C:\\P");
    sim.windows().At(0, [&] {
        files().DeleteFile(u"C:\\T\\D\\x.txt");
        files().RemoveDirectory(u"C:\\T\\D");
        files().AddUnixLink(u"C:\\T\\D", u"C:\\O");
    });
    Empty(u"C:\\T\\D");
    EXPECT_EQ(files().Contents(u"C:\\O\\x.txt"), "outside");

    sim.windows().At(sim.clock().Now(), [&] {
        files().DeleteFile(u"C:\\T\\sub\\y.txt");
        files().RemoveDirectory(u"C:\\T\\sub");
        files().AddUnixLink(u"C:\\T\\sub", u"C:\\P");
    });
    Empty(u"C:\\T");
    EXPECT_TRUE(files().Exists(u"C:\\P"));
}

// Wine names no entry whose path is longer than it can hold, and deletes none (here 100
// characters, in truth about 4,000): the folders above such entries move up into the emptied
// folder, as often as the depth asks, and everything goes, read-only files included. Nothing
// moves out of the emptied folder, and on Windows nothing moves at all.
// Short names bring a folder to the very end of what Wine can name, where its full path no
// longer opens.
TEST_F(CleanFolderEmptier, ATreeTooDeepForWineToNameIsEmptiedByMovingItsFoldersUp) {
    const struct {
        bool wine;
        Text name;
    } cases[] = {{true, u"level-00"}, {true, u"d"}, {false, u"level-00"}};
    for (const auto& c : cases) {
        sim::SimWindows fresh;
        auto& fs = fresh.files();
        fs.UseWineHandles(c.wine);
        fs.LimitWinePaths(100);
        fs.AddFile(u"C:\\Outside\\keep.dat", "precious");
        Text folder = u"C:\\T";
        for (int level = 0; level < 60; ++level) {
            folder += u"\\" + c.name;
            fs.AddFile(folder + u"\\f", "x", level % 3 ? attr::kArchive : attr::kReadOnly);
        }

        EmptyIn(fresh.platform(), u"C:\\T");

        const std::string what = (c.wine ? "Wine, names of " : "Windows, names of ") +
                                 std::to_string(c.name.size());
        EXPECT_EQ(fs.Tree(u"C:\\T"), std::vector<Text>{}) << what;
        EXPECT_EQ(fs.OpenHandles(), 0u);
        EXPECT_TRUE(fs.Exists(u"C:\\Outside\\keep.dat"));
        for (const Text& moved : fs.Moves()) EXPECT_TRUE(moved.starts_with(u"C:\\T\\"));
        EXPECT_EQ(fs.Moves().empty(), !c.wine) << what;
    }
}

// A folder moves up once, and only from two levels down: what is still too deep to be named
// then stays where it is, and the clean ends.
TEST_F(CleanFolderEmptier, EntriesTooDeepEvenAfterAMoveStay) {
    files().UseWineHandles(true);
    files().LimitWinePaths(40);
    const Text deep = u"C:\\T\\x\\y\\" + Text(50, u'z');
    files().AddFile(deep + u"\\file.txt");
    files().AddFile(u"C:\\T\\" + Text(50, u'w') + u"\\file.txt");

    Empty(u"C:\\T");

    ASSERT_EQ(files().Moves(), std::vector<Text>{u"C:\\T\\x\\y"});
    const std::vector<Text> left = files().Tree(u"C:\\T");
    EXPECT_EQ(left.size(), 5u);
    EXPECT_FALSE(files().Exists(u"C:\\T\\x"));
    EXPECT_TRUE(files().Exists(u"C:\\T\\" + Text(50, u'w') + u"\\file.txt"));
    EXPECT_EQ(files().OpenHandles(), 0u);
}

TEST_F(CleanFolderEmptier, LooseFilesGoButSubFoldersAndLinksStay) {
    files().AddFile(u"C:\\T\\plain.tmp");
    files().AddFile(u"C:\\T\\guarded.tmp", "x", attr::kReadOnly | attr::kHidden | attr::kSystem);
    files().AddFile(u"C:\\T\\locked.tmp");
    files().SetInUse(u"C:\\T\\locked.tmp", true);
    files().AddFile(u"C:\\T\\sub\\inner.tmp");
    files().AddFile(u"C:\\Outside\\keep.dat");
    files().AddFolderLink(u"C:\\T\\link", u"C:\\Outside");
    files().AddFile(u"C:\\Outside\\guarded.dat", "x", attr::kReadOnly);
    files().AddFileLink(u"C:\\T\\file link", u"C:\\Outside\\guarded.dat");

    DeleteLooseFiles(files(), u"C:\\T", [] {});

    const std::vector<Text> expected = {u"C:\\T\\link", u"C:\\T\\locked.tmp", u"C:\\T\\sub",
                                        u"C:\\T\\sub\\inner.tmp"};
    EXPECT_EQ(files().Tree(u"C:\\T"), expected);
    EXPECT_TRUE(files().Exists(u"C:\\Outside\\keep.dat"));
    EXPECT_EQ(files().Attributes(u"C:\\Outside\\guarded.dat"), attr::kReadOnly);
}

TEST_F(CleanFolderEmptier, LooseFilesLeaveTheTargetsOfUnixLinksAlone) {
    files().AddFile(u"C:\\T\\plain.tmp");
    files().AddFile(u"C:\\Outside\\keep.dat", "precious", attr::kReadOnly);
    files().AddFolder(u"C:\\Outside\\empty");
    files().AddUnixLink(u"C:\\T\\to file", u"C:\\Outside\\keep.dat");
    files().AddUnixLink(u"C:\\T\\to empty", u"C:\\Outside\\empty");

    DeleteLooseFiles(files(), u"C:\\T", [] {});

    EXPECT_FALSE(files().Exists(u"C:\\T\\plain.tmp"));
    EXPECT_EQ(files().Contents(u"C:\\Outside\\keep.dat"), "precious");
    EXPECT_EQ(files().Attributes(u"C:\\Outside\\keep.dat"), attr::kReadOnly);
    EXPECT_TRUE(files().Exists(u"C:\\Outside\\empty"));
}

}  // namespace
}  // namespace dustvale
