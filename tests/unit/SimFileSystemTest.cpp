// What the contract cannot set up on a real machine: links, files in use, folders that refuse
// listing or creation, 8.3 aliases chosen by the test, the path length limit; and the rules
// where Windows and Wine part ways (the simulation follows Windows).

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/sim/SimFileSystem.h"

namespace dustvale::sim {
namespace {

std::vector<Text> Names(FileSystem& files, const Text& pattern) {
    std::vector<Text> names;
    FindData entry;
    std::unique_ptr<FileSearch> search = files.FindFirstFile(pattern, entry);
    if (!search) return names;
    do names.push_back(entry.name);
    while (search->Next(entry));
    return names;
}

// The final path of the entry at `path` opened as itself, as the cleaner learns it.
std::optional<Text> FinalPathOf(FileSystem& files, const Text& path) {
    std::unique_ptr<EntryHandle> entry = files.OpenEntry(path, 0, LinkAtEnd::Opened);
    return entry ? entry->FinalPath() : std::nullopt;
}

class SimFileSystemTest : public ::testing::Test {
protected:
    SimFileSystem files;
};

TEST_F(SimFileSystemTest, ALinkIsFollowedInsideButRemovedAlone) {
    files.AddFile(u"C:\\Outside\\precious.doc", "keep");
    files.AddFolderLink(u"C:\\Temp\\Link", u"C:\\Outside");

    EXPECT_EQ(Names(files, u"C:\\Temp\\Link\\*"), (std::vector<Text>{u".", u"..", u"precious.doc"}));
    FindData entry;
    ASSERT_TRUE(files.FindFirstFile(u"C:\\Temp\\Link", entry));
    EXPECT_EQ(entry.attributes, attr::kDirectory | attr::kReparsePoint);
    EXPECT_FALSE(files.DeleteFile(u"C:\\Temp\\Link"));

    // Through the link, the file deleted is the one outside.
    EXPECT_TRUE(files.DeleteFile(u"C:\\temp\\link\\PRECIOUS.DOC"));
    files.AddFile(u"C:\\Outside\\precious.doc", "keep");
    EXPECT_TRUE(files.RemoveDirectory(u"C:\\Temp\\Link"));  // not empty behind it, still removed
    EXPECT_EQ(files.Contents(u"C:\\Outside\\precious.doc"), "keep");
    EXPECT_EQ(files.Deletions(), (std::vector<Text>{u"C:\\Outside\\precious.doc", u"C:\\Temp\\Link"}));
    EXPECT_EQ(files.Tree(u"C:\\Temp"), std::vector<Text>{});
}

TEST_F(SimFileSystemTest, ALinkLeadingNowhereOrInACircleListsNothing) {
    files.AddFolderLink(u"C:\\Gone", u"C:\\Never");
    files.AddFolderLink(u"C:\\A", u"C:\\B");
    files.AddFolderLink(u"C:\\B", u"C:\\A");
    FindData entry;
    EXPECT_FALSE(files.FindFirstFile(u"C:\\Gone\\*", entry));
    EXPECT_FALSE(files.FindFirstFile(u"C:\\A\\*", entry));
    EXPECT_TRUE(files.PathFileExists(u"C:\\Gone"));
}

// Windows links name themselves in their final path; what the path to them passes through is
// followed, and an 8.3 alias comes back as the long name.
TEST_F(SimFileSystemTest, AFinalPathNamesTheEntryItselfAsStored) {
    files.AddFile(u"C:\\Outside\\Long Name.txt");
    files.SetShortName(u"C:\\Outside", u"OUTSID~1");
    files.SetShortName(u"C:\\Outside\\Long Name.txt", u"LONGNA~1.TXT");
    files.AddFolderLink(u"C:\\Temp\\Link", u"C:\\Outside");
    files.AddFileLink(u"C:\\Temp\\File link", u"C:\\Outside\\Long Name.txt");

    EXPECT_EQ(FinalPathOf(files, u"c:\\outsid~1\\longna~1.txt"), u"C:\\Outside\\Long Name.txt");
    EXPECT_EQ(FinalPathOf(files, u"C:\\Temp\\Link\\long name.txt"), u"C:\\Outside\\Long Name.txt");
    EXPECT_EQ(FinalPathOf(files, u"C:\\Temp\\link"), u"C:\\Temp\\Link");
    EXPECT_EQ(FinalPathOf(files, u"C:\\Temp\\File link"), u"C:\\Temp\\File link");
    EXPECT_EQ(FinalPathOf(files, u"C:\\"), u"C:\\");
    EXPECT_EQ(FinalPathOf(files, u"C:\\Temp\\missing"), std::nullopt);
}

// A Unix symbolic link as Wine 8 shows it: nothing but its final path tells it from its target.
TEST_F(SimFileSystemTest, AUnixLinkActsOnItsTargetAsUnderWine) {
    files.AddFile(u"C:\\Outside\\keep.txt", "keep", attr::kReadOnly);
    files.AddFolder(u"C:\\Outside\\empty");
    files.AddFile(u"C:\\Outside\\full\\inner.txt");
    files.AddUnixLink(u"C:\\Temp\\file", u"C:\\Outside\\keep.txt");
    files.AddUnixLink(u"C:\\Temp\\empty", u"C:\\Outside\\empty");
    files.AddUnixLink(u"C:\\Temp\\full", u"C:\\Outside\\full");

    FindData entry;
    ASSERT_TRUE(files.FindFirstFile(u"C:\\Temp\\file", entry));
    EXPECT_EQ(entry.attributes, attr::kReadOnly);
    ASSERT_TRUE(files.FindFirstFile(u"C:\\Temp\\empty", entry));
    EXPECT_EQ(entry.attributes, attr::kDirectory | attr::kReparsePoint);
    EXPECT_EQ(FinalPathOf(files, u"C:\\Temp\\file"), u"C:\\Outside\\keep.txt");
    EXPECT_EQ(FinalPathOf(files, u"C:\\Temp\\full"), u"C:\\Outside\\full");

    EXPECT_FALSE(files.RemoveDirectory(u"C:\\Temp\\full"));  // ERROR_DIR_NOT_EMPTY
    EXPECT_TRUE(files.RemoveDirectory(u"C:\\Temp\\empty"));
    EXPECT_TRUE(files.SetFileAttributes(u"C:\\Temp\\file", 0));
    EXPECT_TRUE(files.DeleteFile(u"C:\\Temp\\file"));
    EXPECT_EQ(files.Deletions(), (std::vector<Text>{u"C:\\Outside\\empty", u"C:\\Outside\\keep.txt"}));
    // The links stay, leading nowhere.
    EXPECT_TRUE(files.Exists(u"C:\\Temp\\file"));
    EXPECT_TRUE(files.Exists(u"C:\\Temp\\empty"));
    EXPECT_EQ(FinalPathOf(files, u"C:\\Temp\\file"), std::nullopt);
}

TEST_F(SimFileSystemTest, FilesInUseAndGuardedFoldersRefuse) {
    files.AddFile(u"C:\\Temp\\busy.tmp", "x");
    files.AddFolder(u"C:\\Temp\\Busy folder");
    files.SetInUse(u"C:\\Temp\\busy.tmp", true);
    files.SetInUse(u"C:\\Temp\\Busy folder", true);
    EXPECT_FALSE(files.DeleteFile(u"C:\\Temp\\busy.tmp"));
    EXPECT_FALSE(files.Open(u"C:\\Temp\\busy.tmp", FileMode::Input));
    EXPECT_FALSE(files.RemoveDirectory(u"C:\\Temp\\Busy folder"));
    files.SetInUse(u"C:\\Temp\\busy.tmp", false);
    EXPECT_TRUE(files.DeleteFile(u"C:\\Temp\\busy.tmp"));

    files.AddFile(u"C:\\Secret\\inside.txt", "x");
    files.SetDenyListing(u"C:\\Secret", true);
    FindData entry;
    EXPECT_FALSE(files.FindFirstFile(u"C:\\Secret\\*", entry));
    EXPECT_FALSE(files.FindFirstFile(u"C:\\Secret\\inside.txt", entry));
    EXPECT_TRUE(files.GetFileAttributes(u"C:\\Secret\\inside.txt"));

    files.AddFile(u"C:\\Sealed\\old.txt", "old");
    files.SetReadOnlyFolder(u"C:\\Sealed", true);
    EXPECT_FALSE(files.Open(u"C:\\Sealed\\new.txt", FileMode::Output));
    EXPECT_FALSE(files.Open(u"C:\\Sealed\\old.txt", FileMode::Output));
    EXPECT_TRUE(files.Open(u"C:\\Sealed\\old.txt", FileMode::Input));
    EXPECT_FALSE(files.Exists(u"C:\\Sealed\\new.txt"));

    // Windows keeps the read-only attribute of a folder and refuses to remove it (Wine run as
    // root drops the attribute).
    files.AddFolder(u"C:\\Kept");
    ASSERT_TRUE(files.SetFileAttributes(u"C:\\Kept", attr::kReadOnly));
    EXPECT_EQ(files.GetFileAttributes(u"C:\\Kept"), attr::kDirectory | attr::kReadOnly);
    EXPECT_FALSE(files.RemoveDirectory(u"C:\\Kept"));
}

TEST_F(SimFileSystemTest, WildcardsFollowWindowsWhereWineDiffers) {
    for (const Text name : {u"file.txt", u"file1.txt", u"a.c", u"page.html", u"abc"})
        files.AddFile(u"C:\\W\\" + name);
    files.SetShortName(u"C:\\W\\page.html", u"PAGE~1.HTM");
    const struct {
        Text pattern;
        std::vector<Text> names;
    } cases[] = {
        {u"file?.txt", {u"file.txt", u"file1.txt"}},  // "?" may match nothing before a dot
        {u"a?c", {u"abc"}},                           // but never the dot itself
        {u"*.htm", {u"page.html"}},                   // by its alias
        {u"*.ht?", {u"page.html"}},
        {u"*.h", {}},
        {u"*.", {u".", u"..", u"abc"}},  // no dot after the last (Wine drops it and lists all)
    };
    for (const auto& c : cases) EXPECT_EQ(Names(files, u"C:\\W\\" + c.pattern), c.names);
    EXPECT_EQ(Names(files, u"C:\\*"), (std::vector<Text>{u"W"}));  // no "." in a drive's root
    FindData entry;
    ASSERT_TRUE(files.FindFirstFile(u"C:\\W\\PAGE~1.HTM", entry));
    EXPECT_EQ(entry.name, u"page.html");
    EXPECT_EQ(entry.shortName, u"PAGE~1.HTM");
}

// CREATE_ALWAYS with FILE_ATTRIBUTE_NORMAL fails with ERROR_ACCESS_DENIED on an existing
// hidden or system file, and on a read-only one. (Wine overwrites all three when run as root.)
TEST_F(SimFileSystemTest, OutputRefusesReadOnlyHiddenAndSystemFiles) {
    for (std::uint32_t attributes : {attr::kReadOnly, attr::kHidden, attr::kSystem}) {
        const Text path = u"C:\\Kept\\" + Text(1, static_cast<char16_t>(u'0' + attributes)) + u".txt";
        files.AddFile(path, "original", attributes);
        EXPECT_FALSE(files.Open(path, FileMode::Output)) << "attributes " << attributes;
        EXPECT_EQ(files.Contents(path), "original");
    }
}

TEST_F(SimFileSystemTest, PathsOf260CharactersNeedTheLongPathPrefix) {
    const Text folder = u"C:\\" + Text(240, u'd');
    const Text file = folder + u"\\" + Text(20, u'f');  // 264 characters
    files.AddFile(file, "deep");
    EXPECT_FALSE(files.PathFileExists(file));
    EXPECT_TRUE(files.PathFileExists(u"\\\\?\\" + file));
    EXPECT_TRUE(files.PathFileExists(folder));  // 243 characters
    EXPECT_FALSE(files.PathFileExists(u"Temp\\relative.txt"));
    EXPECT_FALSE(files.PathFileExists(u"Q:\\"));
}

TEST_F(SimFileSystemTest, SearchesAndFilesAreCountedUntilClosed) {
    files.AddFile(u"C:\\F\\one.txt", "1");
    {
        FindData entry;
        std::unique_ptr<FileSearch> search = files.FindFirstFile(u"C:\\F\\*", entry);
        std::unique_ptr<OpenFile> file = files.Open(u"C:\\F\\one.txt", FileMode::Input);
        EXPECT_EQ(files.OpenSearches(), 1u);
        EXPECT_EQ(files.OpenFiles(), 1u);
    }
    EXPECT_EQ(files.OpenSearches(), 0u);
    EXPECT_EQ(files.OpenFiles(), 0u);
}

}  // namespace
}  // namespace dustvale::sim
