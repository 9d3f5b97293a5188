// The file system keeps the rules of Windows on every platform: names, patterns, attributes,
// and the operations that must refuse.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/contract/ContractFiles.h"
#include "tests/contract/ContractFixture.h"

namespace dustvale::contract {
namespace {

std::string Narrow(const Text& text) {
    std::string s;
    for (char16_t c : text) s += c < 128 ? static_cast<char>(c) : '#';
    return s;
}

bool EqualsIgnoringCase(const Text& a, const Text& b) {
    auto upper = [](char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 0x20) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char16_t x, char16_t y) {
               return upper(x) == upper(y);
           });
}

std::vector<Text> Sorted(std::vector<Text> names) {
    std::sort(names.begin(), names.end());
    return names;
}

template <class F>
class FileSystemContract : public ::testing::Test {
protected:
    F fixture;
    FileSystem& files = fixture.platform().files;
    const Text scratch = fixture.ScratchFolder();

    Text At(const Text& name) const { return scratch + u"\\" + name; }

    // The final path of the entry at `path`, opened as itself.
    std::optional<Text> FinalPathOf(const Text& path) {
        std::unique_ptr<EntryHandle> entry = files.OpenEntry(path, 0, LinkAtEnd::Opened);
        return entry ? entry->FinalPath() : std::nullopt;
    }

    // A drive letter that names no drive here.
    Text MissingDrive() {
        for (char16_t letter = u'Y'; letter > u'D'; --letter) {
            Text root{letter, u':', u'\\'};
            if (!files.GetFileAttributes(root)) return root;
        }
        return {};
    }
};

TYPED_TEST_SUITE_P(FileSystemContract);

TYPED_TEST_P(FileSystemContract, BytesComeBackAsWritten) {
    const std::string bytes("line one\r\nzero \0 byte, high \xff\x80 bytes\r\n", 38);
    ASSERT_TRUE(WriteFile(this->files, this->At(u"data.bin"), bytes));
    EXPECT_EQ(ReadFile(this->files, this->At(u"data.bin")), bytes);

    std::unique_ptr<OpenFile> input = this->files.Open(this->At(u"data.bin"), FileMode::Input);
    ASSERT_TRUE(input);
    EXPECT_EQ(input->ReadAll(), bytes);
    EXPECT_EQ(input->ReadAll(), std::string());  // nothing remains
    EXPECT_FALSE(input->Write("x"));              // opened for reading only

    // A limited read stops at its limit or the end, and the next one goes on from there.
    input = this->files.Open(this->At(u"data.bin"), FileMode::Input);
    ASSERT_TRUE(input);
    EXPECT_EQ(input->Read(10), bytes.substr(0, 10));
    EXPECT_EQ(input->Read(0), std::string());
    EXPECT_EQ(input->Read(100), bytes.substr(10));
    EXPECT_EQ(input->Read(100), std::string());
    std::unique_ptr<OpenFile> output = this->files.Open(this->At(u"out.bin"), FileMode::Output);
    ASSERT_TRUE(output);
    EXPECT_FALSE(output->Read(1));  // opened for writing only
}

TYPED_TEST_P(FileSystemContract, OutputTruncatesThenAppends) {
    ASSERT_TRUE(WriteFile(this->files, this->At(u"settings.cfg"), "a much longer first content"));
    {
        std::unique_ptr<OpenFile> output = this->files.Open(this->At(u"settings.cfg"), FileMode::Output);
        ASSERT_TRUE(output);
        EXPECT_TRUE(output->Write("ab"));
        EXPECT_TRUE(output->Write("cd"));
    }
    EXPECT_EQ(ReadFile(this->files, this->At(u"settings.cfg")), "abcd");
}

TYPED_TEST_P(FileSystemContract, OpenRefusesWhatCannotBeOpened) {
    ASSERT_TRUE(this->fixture.MakeFolder(this->At(u"folder")));
    const Text drive = this->MissingDrive();
    ASSERT_FALSE(drive.empty());
    const struct {
        Text path;
        FileMode mode;
    } cases[] = {
        {this->At(u"missing.txt"), FileMode::Input},
        {this->At(u"no folder\\new.txt"), FileMode::Output},
        {this->At(u"folder"), FileMode::Input},
        {this->At(u"folder"), FileMode::Output},
        {drive + u"new.txt", FileMode::Output},
        {drive + u"new.txt", FileMode::Input},
        {this->At(u"bad|name.txt"), FileMode::Output},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(this->files.Open(c.path, c.mode)) << Narrow(c.path);
    EXPECT_FALSE(this->files.PathFileExists(this->At(u"no folder")));
}

TYPED_TEST_P(FileSystemContract, AttributesAreReportedAndSet) {
    ASSERT_TRUE(WriteFile(this->files, this->At(u"plain.txt"), "x"));
    ASSERT_TRUE(this->fixture.MakeFolder(this->At(u"folder")));

    std::optional<std::uint32_t> file = this->files.GetFileAttributes(this->At(u"plain.txt"));
    ASSERT_TRUE(file);
    EXPECT_TRUE(*file & attr::kArchive);
    EXPECT_FALSE(*file & (attr::kDirectory | attr::kHidden | attr::kReadOnly));
    std::optional<std::uint32_t> folder = this->files.GetFileAttributes(this->At(u"folder"));
    ASSERT_TRUE(folder);
    EXPECT_TRUE(*folder & attr::kDirectory);

    ASSERT_TRUE(this->files.SetFileAttributes(this->At(u"plain.txt"), attr::kHidden | attr::kReadOnly));
    file = this->files.GetFileAttributes(this->At(u"plain.txt"));
    ASSERT_TRUE(file);
    EXPECT_EQ(*file & (attr::kHidden | attr::kReadOnly | attr::kSystem), attr::kHidden | attr::kReadOnly);
    ASSERT_TRUE(this->files.SetFileAttributes(this->At(u"plain.txt"), attr::kNormal));
    file = this->files.GetFileAttributes(this->At(u"plain.txt"));
    ASSERT_TRUE(file);
    EXPECT_FALSE(*file & (attr::kHidden | attr::kReadOnly));

    EXPECT_FALSE(this->files.GetFileAttributes(this->At(u"missing.txt")));
    EXPECT_FALSE(this->files.SetFileAttributes(this->At(u"missing.txt"), attr::kHidden));
    EXPECT_FALSE(this->files.GetFileAttributes(this->MissingDrive()));
    std::optional<std::uint32_t> root = this->files.GetFileAttributes(u"C:\\");
    ASSERT_TRUE(root);
    EXPECT_TRUE(*root & attr::kDirectory);
}

TYPED_TEST_P(FileSystemContract, NamesIgnoreCaseButKeepTheirOwn) {
    const Text stored = u"MixedCase Gr\u00FC\u00DFe \u03A9mega.Txt";
    ASSERT_TRUE(WriteFile(this->files, this->At(stored), "content"));
    const Text asked = u"mixedcase GR\u00DC\u00DFE \u03C9MEGA.tXT";
    EXPECT_TRUE(this->files.PathFileExists(this->At(asked)));
    EXPECT_EQ(ReadFile(this->files, this->At(asked)), "content");
    std::optional<FindData> found = FindOne(this->files, this->At(asked));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->name, stored);
    // Output on the other spelling writes the same file and keeps its name.
    ASSERT_TRUE(WriteFile(this->files, this->At(asked), "new"));
    EXPECT_EQ(List(this->files, this->At(u"*.txt")), std::vector<Text>{stored});
}

TYPED_TEST_P(FileSystemContract, PatternsMatchAsFindFirstFileDoes) {
    const Text list = this->At(u"list");
    ASSERT_TRUE(this->fixture.MakeFolder(list));
    for (const Text name : {u"a.txt", u"b.TXT", u"c.text", u"noext", u"d.txt.bak"})
        ASSERT_TRUE(WriteFile(this->files, list + u"\\" + name, "x"));
    ASSERT_TRUE(this->fixture.MakeFolder(list + u"\\sub"));

    const std::vector<Text> all{u".", u"..", u"a.txt", u"b.TXT", u"c.text", u"d.txt.bak", u"noext", u"sub"};
    const struct {
        Text pattern;
        std::optional<std::vector<Text>> names;  // nullopt: the search fails
    } cases[] = {
        {u"*", all},
        {u"*.*", all},  // also the names without a dot
        {u"*.txt", std::vector<Text>{u"a.txt", u"b.TXT"}},
        {u"?.txt", std::vector<Text>{u"a.txt", u"b.TXT"}},
        {u"*.t?t", std::vector<Text>{u"a.txt", u"b.TXT"}},
        {u"*.bak", std::vector<Text>{u"d.txt.bak"}},
        {u"d*", std::vector<Text>{u"d.txt.bak"}},
        {u"NOEXT", std::vector<Text>{u"noext"}},
        {u"noext.*", std::vector<Text>{u"noext"}},  // ".*" also matches no extension
        {u"sub", std::vector<Text>{u"sub"}},  // the folder itself, not what it holds
        {u"zz*", std::nullopt},
    };
    for (const auto& c : cases) {
        std::optional<std::vector<Text>> names = List(this->files, list + u"\\" + c.pattern);
        if (names) names = Sorted(*names);
        EXPECT_EQ(names, c.names) << "pattern " << Narrow(c.pattern);
    }
}

TYPED_TEST_P(FileSystemContract, AFolderListsDotAndDotDotFirstAndHiddenEntriesToo) {
    ASSERT_TRUE(WriteFile(this->files, this->At(u"visible.txt"), "x"));
    ASSERT_TRUE(WriteFile(this->files, this->At(u"secret.txt"), "x"));
    ASSERT_TRUE(this->files.SetFileAttributes(this->At(u"secret.txt"), attr::kHidden | attr::kSystem));

    std::optional<std::vector<Text>> names = List(this->files, this->At(u"*"));
    ASSERT_TRUE(names);
    ASSERT_EQ(names->size(), 4u);
    EXPECT_EQ((*names)[0], u".");
    EXPECT_EQ((*names)[1], u"..");
    EXPECT_EQ(Sorted({(*names)[2], (*names)[3]}), (std::vector<Text>{u"secret.txt", u"visible.txt"}));

    std::optional<FindData> dot = FindOne(this->files, this->At(u"*"));
    ASSERT_TRUE(dot);
    EXPECT_TRUE(dot->attributes & attr::kDirectory);
    std::optional<FindData> secret = FindOne(this->files, this->At(u"secret.txt"));
    ASSERT_TRUE(secret);
    EXPECT_EQ(secret->attributes & (attr::kHidden | attr::kSystem), attr::kHidden | attr::kSystem);
    EXPECT_TRUE(this->files.PathFileExists(this->At(u"secret.txt")));
}

TYPED_TEST_P(FileSystemContract, ADrivesRootHasNoDotEntries) {
    std::optional<std::vector<Text>> names = List(this->files, u"C:\\*");
    ASSERT_TRUE(names);
    EXPECT_EQ(std::count(names->begin(), names->end(), u"."), 0);
    EXPECT_EQ(std::count(names->begin(), names->end(), u".."), 0);
}

TYPED_TEST_P(FileSystemContract, SearchesOfWhatIsNotThereFail) {
    ASSERT_TRUE(WriteFile(this->files, this->At(u"a.txt"), "12345"));
    for (const Text pattern : {u"missing\\*", u"missing", u"a.txt\\*", u"*.none"})
        EXPECT_FALSE(List(this->files, this->At(pattern))) << Narrow(pattern);
    std::optional<FindData> file = FindOne(this->files, this->At(u"a.txt"));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->size, 5u);
    EXPECT_FALSE(file->attributes & attr::kDirectory);
}

TYPED_TEST_P(FileSystemContract, DeleteFileRefusesWhatWindowsProtects) {
    ASSERT_TRUE(WriteFile(this->files, this->At(u"locked.txt"), "x"));
    ASSERT_TRUE(this->files.SetFileAttributes(this->At(u"locked.txt"), attr::kReadOnly));
    EXPECT_FALSE(this->files.DeleteFile(this->At(u"locked.txt")));
    EXPECT_TRUE(this->files.PathFileExists(this->At(u"locked.txt")));
    ASSERT_TRUE(this->files.SetFileAttributes(this->At(u"locked.txt"), attr::kNormal));
    EXPECT_TRUE(this->files.DeleteFile(this->At(u"locked.txt")));
    EXPECT_FALSE(this->files.PathFileExists(this->At(u"locked.txt")));

    ASSERT_TRUE(this->fixture.MakeFolder(this->At(u"folder")));
    EXPECT_FALSE(this->files.DeleteFile(this->At(u"folder")));
    EXPECT_FALSE(this->files.DeleteFile(this->At(u"missing.txt")));

    ASSERT_TRUE(WriteFile(this->files, this->At(u"hidden.txt"), "x"));
    ASSERT_TRUE(this->files.SetFileAttributes(this->At(u"hidden.txt"), attr::kHidden | attr::kSystem));
    EXPECT_TRUE(this->files.DeleteFile(this->At(u"hidden.txt")));

    ASSERT_TRUE(WriteFile(this->files, this->At(u"open.txt"), "x"));
    {
        std::unique_ptr<OpenFile> open = this->files.Open(this->At(u"open.txt"), FileMode::Input);
        ASSERT_TRUE(open);
        EXPECT_FALSE(this->files.DeleteFile(this->At(u"open.txt")));
    }
    EXPECT_TRUE(this->files.DeleteFile(this->At(u"open.txt")));
}

TYPED_TEST_P(FileSystemContract, RemoveDirectoryTakesOnlyEmptyFolders) {
    ASSERT_TRUE(this->fixture.MakeFolder(this->At(u"full")));
    ASSERT_TRUE(WriteFile(this->files, this->At(u"full\\inside.txt"), "x"));
    EXPECT_FALSE(this->files.RemoveDirectory(this->At(u"full")));
    EXPECT_TRUE(this->files.PathFileExists(this->At(u"full\\inside.txt")));
    EXPECT_FALSE(this->files.RemoveDirectory(this->At(u"full\\inside.txt")));
    EXPECT_FALSE(this->files.RemoveDirectory(this->At(u"missing")));

    ASSERT_TRUE(this->files.DeleteFile(this->At(u"full\\inside.txt")));
    EXPECT_TRUE(this->files.RemoveDirectory(this->At(u"full")));
    EXPECT_FALSE(this->files.PathFileExists(this->At(u"full")));

    // Hidden and system folders go like any other.
    ASSERT_TRUE(this->fixture.MakeFolder(this->At(u"hidden")));
    ASSERT_TRUE(this->files.SetFileAttributes(this->At(u"hidden"), attr::kHidden | attr::kSystem));
    EXPECT_TRUE(this->files.RemoveDirectory(this->At(u"hidden")));
}

TYPED_TEST_P(FileSystemContract, OpenFilesShareReadingOnly) {
    ASSERT_TRUE(WriteFile(this->files, this->At(u"shared.txt"), "x"));
    {
        std::unique_ptr<OpenFile> first = this->files.Open(this->At(u"shared.txt"), FileMode::Input);
        std::unique_ptr<OpenFile> second = this->files.Open(this->At(u"shared.txt"), FileMode::Input);
        EXPECT_TRUE(first);
        EXPECT_TRUE(second);
        EXPECT_FALSE(this->files.Open(this->At(u"shared.txt"), FileMode::Output));
    }
    std::unique_ptr<OpenFile> writer = this->files.Open(this->At(u"shared.txt"), FileMode::Output);
    ASSERT_TRUE(writer);
    EXPECT_FALSE(this->files.Open(this->At(u"shared.txt"), FileMode::Input));
}

TYPED_TEST_P(FileSystemContract, PathsAreNormalised) {
    ASSERT_TRUE(this->fixture.MakeFolder(this->At(u"sub")));
    ASSERT_TRUE(WriteFile(this->files, this->At(u"a.txt"), "here"));
    Text slashes = this->At(u"a.txt");
    std::replace(slashes.begin(), slashes.end(), u'\\', u'/');
    for (const Text& path : {this->At(u"sub\\..\\a.txt"), this->At(u".\\a.txt"), this->scratch + u"\\\\a.txt",
                             this->At(u"a.txt."), slashes})
        EXPECT_EQ(ReadFile(this->files, path), "here") << Narrow(path);
}

TYPED_TEST_P(FileSystemContract, AnEightDotThreeAliasNamesTheEntryToo) {
    ASSERT_TRUE(WriteFile(this->files, this->At(u"short.txt"), "short"));
    this->fixture.GiveShortName(this->At(u"short.txt"));
    std::optional<FindData> plain = FindOne(this->files, this->At(u"short.txt"));
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->shortName, u"");  // already an 8.3 name

    const Text name = u"Long file name.text";
    ASSERT_TRUE(WriteFile(this->files, this->At(name), "long"));
    this->fixture.GiveShortName(this->At(name));
    std::optional<FindData> entry = FindOne(this->files, this->At(name));
    ASSERT_TRUE(entry);
    if (entry->shortName.empty()) GTEST_SKIP() << "this volume makes no 8.3 aliases";
    const Text alias = entry->shortName;

    EXPECT_EQ(ReadFile(this->files, this->At(alias)), "long");
    std::optional<FindData> byAlias = FindOne(this->files, this->At(alias));
    ASSERT_TRUE(byAlias);
    EXPECT_EQ(byAlias->name, name);
    // A pattern matches an entry by its alias as well: "*.tex" finds the ".text" file.
    const Text aliasExtension = alias.substr(alias.rfind(u'.'));
    EXPECT_EQ(List(this->files, this->At(u"*" + aliasExtension)), std::vector<Text>{name});
}

// The cleaner tells an entry from a link that hides as one by its final path: an entry that is
// what its path says names itself, with its stored name, however the path spelt it.
TYPED_TEST_P(FileSystemContract, AFinalPathNamesTheEntryItself) {
    ASSERT_TRUE(this->fixture.MakeFolder(this->At(u"Sub Folder")));
    ASSERT_TRUE(WriteFile(this->files, this->At(u"Sub Folder\\File Name.txt"), "x"));
    const std::optional<Text> folder = this->FinalPathOf(this->scratch);
    ASSERT_TRUE(folder);
    // The scratch folder's own path may hold 8.3 aliases (a short %TEMP%).
    if (this->scratch.find(u'~') == Text::npos) {
        EXPECT_TRUE(EqualsIgnoringCase(*folder, this->scratch)) << Narrow(*folder);
    }
    const struct {
        Text path;
        Text expected;
    } cases[] = {
        {this->At(u"Sub Folder"), *folder + u"\\Sub Folder"},
        {this->At(u"sub folder\\"), *folder + u"\\Sub Folder"},
        {this->At(u"Sub Folder\\File Name.txt"), *folder + u"\\Sub Folder\\File Name.txt"},
        {this->At(u"SUB FOLDER\\..\\Sub Folder\\file name.TXT"),
         *folder + u"\\Sub Folder\\File Name.txt"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(this->FinalPathOf(c.path), c.expected) << Narrow(c.path);
    }
    EXPECT_EQ(this->FinalPathOf(this->At(u"missing.txt")), std::nullopt);
    EXPECT_EQ(this->FinalPathOf(this->At(u"missing\\file.txt")), std::nullopt);
}

// A folder held open lists its entries through its own handle, and each entry opened through
// that handle names itself and carries the number the listing gave it.
TYPED_TEST_P(FileSystemContract, AFolderHandleListsAndOpensItsOwnEntries) {
    const Text held = this->At(u"Held Folder");
    ASSERT_TRUE(this->fixture.MakeFolder(held));
    ASSERT_TRUE(this->fixture.MakeFolder(held + u"\\Sub Folder"));
    ASSERT_TRUE(WriteFile(this->files, held + u"\\File Name.txt", "x"));
    std::unique_ptr<EntryHandle> folder =
        this->files.OpenEntry(held, rights::kListDirectory, LinkAtEnd::Opened);
    ASSERT_TRUE(folder);
    const std::optional<EntryInfo> self = folder->Info();
    const std::optional<Text> final = folder->FinalPath();
    ASSERT_TRUE(self && final);
    EXPECT_EQ(self->attributes & (attr::kDirectory | attr::kReparsePoint), attr::kDirectory);

    std::map<Text, DirectoryEntry> listed;
    DirectoryEntry entry;
    while (folder->ReadDirectory(entry)) listed[entry.name] = entry;
    EXPECT_FALSE(folder->ReadDirectory(entry));  // it stays at its end
    ASSERT_EQ(listed.size(), 4u);
    EXPECT_EQ(listed[u"."].fileId, self->fileId);
    const struct {
        Text asked, stored;
        bool isFolder;
    } cases[] = {{u"sub folder", u"Sub Folder", true}, {u"FILE NAME.TXT", u"File Name.txt", false}};
    for (const auto& c : cases) {
        std::unique_ptr<EntryHandle> child = folder->OpenChild(c.asked, 0);
        ASSERT_TRUE(child) << Narrow(c.asked);
        const std::optional<EntryInfo> info = child->Info();
        ASSERT_TRUE(info);
        EXPECT_EQ(info->fileId, listed[c.stored].fileId) << Narrow(c.asked);
        EXPECT_EQ((info->attributes & attr::kDirectory) != 0, c.isFolder);
        EXPECT_EQ((listed[c.stored].attributes & attr::kDirectory) != 0, c.isFolder);
        EXPECT_EQ(info->reparseTag, 0u);
        EXPECT_EQ(child->FinalPath(), *final + u"\\" + c.stored);
    }
    for (const Text name : {u"missing.txt", u"Sub Folder\\..\\File Name.txt", u"..", u""})
        EXPECT_FALSE(folder->OpenChild(name, 0)) << Narrow(name);

    // A restarted listing reads the folder as it is now on Windows; Wine starts again from
    // what it read the first time.
    ASSERT_TRUE(WriteFile(this->files, held + u"\\later.txt", "y"));
    folder->RestartDirectory();
    std::vector<Text> again;
    while (folder->ReadDirectory(entry)) again.push_back(entry.name);
    std::vector<Text> expected{u".", u"..", u"File Name.txt", u"Sub Folder"};
    if (!TypeParam::UnderWine()) expected.push_back(u"later.txt");
    EXPECT_EQ(Sorted(again), expected);
    // A file lists nothing, nor does a folder opened without the right to list.
    std::unique_ptr<EntryHandle> file = folder->OpenChild(u"later.txt", rights::kListDirectory);
    ASSERT_TRUE(file);
    EXPECT_FALSE(file->ReadDirectory(entry));
    std::unique_ptr<EntryHandle> unlisted = this->files.OpenEntry(held, 0, LinkAtEnd::Opened);
    ASSERT_TRUE(unlisted);
    EXPECT_FALSE(unlisted->ReadDirectory(entry));
}

// Deletion and attributes through a handle, with the rights it was opened with.
TYPED_TEST_P(FileSystemContract, AHandleChangesAndDeletesItsEntryWithItsRights) {
    const Text held = this->At(u"held");
    ASSERT_TRUE(this->fixture.MakeFolder(held));
    ASSERT_TRUE(this->fixture.MakeFolder(held + u"\\Full"));
    for (const Text name : {u"plain.txt", u"locked.txt", u"open.txt", u"Full\\inner.txt"})
        ASSERT_TRUE(WriteFile(this->files, held + u"\\" + name, "x"));
    ASSERT_TRUE(this->files.SetFileAttributes(held + u"\\locked.txt", attr::kReadOnly));
    std::unique_ptr<EntryHandle> folder =
        this->files.OpenEntry(held, rights::kListDirectory, LinkAtEnd::Opened);
    ASSERT_TRUE(folder);
    constexpr std::uint32_t kChangeAndDelete = rights::kWriteAttributes | rights::kDelete;

    // Nothing changes without the right to (but Wine lets attributes change all the same),
    // and everything with it.
    {
        std::unique_ptr<EntryHandle> plain = folder->OpenChild(u"plain.txt", 0);
        ASSERT_TRUE(plain);
        EXPECT_EQ(plain->SetAttributes(attr::kHidden), TypeParam::UnderWine());
        EXPECT_FALSE(plain->Delete());
    }
    {
        std::unique_ptr<EntryHandle> plain = folder->OpenChild(u"plain.txt", kChangeAndDelete);
        ASSERT_TRUE(plain);
        EXPECT_TRUE(plain->SetAttributes(attr::kHidden | attr::kSystem));
        EXPECT_EQ(this->files.GetFileAttributes(held + u"\\plain.txt").value_or(0) &
                      (attr::kHidden | attr::kSystem),
                  attr::kHidden | attr::kSystem);
        EXPECT_TRUE(plain->Delete());
    }
    EXPECT_FALSE(this->files.PathFileExists(held + u"\\plain.txt"));
    // A read-only file goes once its attributes are cleared (Windows from 1809 on ignores
    // read-only; before, and under Wine, it refuses).
    {
        std::unique_ptr<EntryHandle> locked = folder->OpenChild(u"locked.txt", kChangeAndDelete);
        ASSERT_TRUE(locked);
        EXPECT_TRUE(locked->SetAttributes(0));
        EXPECT_EQ(this->files.GetFileAttributes(held + u"\\locked.txt").value_or(0) &
                      attr::kReadOnly,
                  0u);
        EXPECT_TRUE(locked->Delete());
    }
    EXPECT_FALSE(this->files.PathFileExists(held + u"\\locked.txt"));
    // A folder goes only once empty.
    {
        std::unique_ptr<EntryHandle> full =
            folder->OpenChild(u"full", rights::kListDirectory | kChangeAndDelete);
        ASSERT_TRUE(full);
        EXPECT_FALSE(full->Delete());
        {
            std::unique_ptr<EntryHandle> inner = full->OpenChild(u"inner.txt", kChangeAndDelete);
            ASSERT_TRUE(inner);
            EXPECT_TRUE(inner->Delete());
        }
        EXPECT_TRUE(full->Delete());
    }
    EXPECT_FALSE(this->files.PathFileExists(held + u"\\Full"));
    // A file another program reads without sharing deletion opens, but not for deletion.
    std::unique_ptr<OpenFile> reader = this->files.Open(held + u"\\open.txt", FileMode::Input);
    ASSERT_TRUE(reader);
    EXPECT_FALSE(folder->OpenChild(u"open.txt", kChangeAndDelete));
    EXPECT_TRUE(folder->OpenChild(u"open.txt", 0));
}

// What a handle does reaches the entry it holds, never another put in its place meanwhile.
TYPED_TEST_P(FileSystemContract, AHandleKeepsToItsEntryWhenAnotherTakesItsPlace) {
    const Text held = this->At(u"held");
    ASSERT_TRUE(this->fixture.MakeFolder(held));
    ASSERT_TRUE(WriteFile(this->files, held + u"\\a.txt", "first"));
    std::unique_ptr<EntryHandle> folder =
        this->files.OpenEntry(held, rights::kListDirectory, LinkAtEnd::Opened);
    ASSERT_TRUE(folder);
    const std::optional<Text> final = folder->FinalPath();
    ASSERT_TRUE(final);
    std::unique_ptr<EntryHandle> first =
        folder->OpenChild(u"a.txt", rights::kWriteAttributes | rights::kDelete);
    ASSERT_TRUE(first);
    const std::optional<EntryInfo> before = first->Info();
    ASSERT_TRUE(before);

    ASSERT_TRUE(this->fixture.Rename(held + u"\\a.txt", held + u"\\moved.txt"));
    ASSERT_TRUE(WriteFile(this->files, held + u"\\a.txt", "second"));

    const std::optional<EntryInfo> after = first->Info();
    ASSERT_TRUE(after);
    EXPECT_EQ(after->fileId, before->fileId);
    // Windows tells where the entry is now; Wine where it was when it was opened.
    const Text where = TypeParam::UnderWine() ? u"a.txt" : u"moved.txt";
    EXPECT_EQ(first->FinalPath(), *final + u"\\" + where);
    EXPECT_TRUE(first->SetAttributes(attr::kHidden));
    EXPECT_TRUE(first->Delete());
    first.reset();

    EXPECT_EQ(ReadFile(this->files, held + u"\\a.txt"), "second");
    EXPECT_EQ(this->files.GetFileAttributes(held + u"\\a.txt").value_or(0) & attr::kHidden, 0u);
    // Windows deletes the entry held, wherever it went. Wine deletes by the path the entry
    // had, and only while that path still leads to it: here nothing goes.
    EXPECT_EQ(this->files.PathFileExists(held + u"\\moved.txt"), TypeParam::UnderWine());
}

// Paths beyond MAX_PATH: a final path names an entry at any length the system holds (Wine's
// GetFinalPathNameByHandleW alone stops at 260 characters), and it opens again when spelt
// with the "\\?\" prefix, or by its names below a folder.
TYPED_TEST_P(FileSystemContract, AFinalPathNamesAnEntryBeyondMaxPath) {
    const Text name(100, u'n');
    std::vector<Text> folders{this->At(u"deep")};
    for (int level = 0; level < 10; ++level) folders.push_back(folders.back() + u"\\" + name);
    for (const Text& folder : folders) ASSERT_TRUE(this->fixture.MakeFolder(u"\\\\?\\" + folder));
    const Text file = u"\\\\?\\" + folders.back() + u"\\file.txt";
    ASSERT_TRUE(WriteFile(this->files, file, "x"));
    std::unique_ptr<EntryHandle> scratch =
        this->files.OpenEntry(this->scratch, rights::kListDirectory, LinkAtEnd::Opened);
    ASSERT_TRUE(scratch);
    const std::optional<Text> top = scratch->FinalPath();
    ASSERT_TRUE(top);

    // Opened through handles down the tree, as the cleaner walks.
    std::unique_ptr<EntryHandle> folder = scratch->OpenChild(u"deep", rights::kListDirectory);
    Text expected = *top + u"\\deep";
    for (int level = 0; folder && level < 10; ++level) {
        folder = folder->OpenChild(name, rights::kListDirectory);
        expected += u"\\" + name;
    }
    ASSERT_TRUE(folder);
    ASSERT_GT(expected.size(), 1000u);
    EXPECT_EQ(folder->FinalPath(), expected);
    std::unique_ptr<EntryHandle> byPath =
        this->files.OpenEntry(u"\\\\?\\" + expected, 0, LinkAtEnd::Opened);
    ASSERT_TRUE(byPath);
    // Looked up by its names below a folder, as the cleaner checks a path before it acts.
    std::unique_ptr<EntryHandle> below = scratch->OpenBelow(
        expected.substr(top->size() + 1), 0);
    ASSERT_TRUE(below);
    const std::optional<EntryInfo> again = byPath->Info(), walked = folder->Info(),
                                   lookedUp = below->Info();
    ASSERT_TRUE(again && walked && lookedUp);
    EXPECT_EQ(again->fileId, walked->fileId);
    EXPECT_EQ(lookedUp->fileId, walked->fileId);
    const Text refused[] = {u"deep\\..\\deep", u"deep\\\\" + name, u"\\deep", u"deep\\", u""};
    for (const Text& path : refused) EXPECT_FALSE(scratch->OpenBelow(path, 0)) << Narrow(path);
    {
        std::unique_ptr<EntryHandle> inner =
            folder->OpenChild(u"file.txt", rights::kWriteAttributes | rights::kDelete);
        ASSERT_TRUE(inner);
        EXPECT_EQ(inner->FinalPath(), expected + u"\\file.txt");
        EXPECT_TRUE(inner->Delete());
    }
    EXPECT_FALSE(this->files.PathFileExists(file));
    // Wine removes a folder only once the last handle on it has closed.
    for (auto* open : {&scratch, &folder, &byPath, &below}) open->reset();
    EXPECT_TRUE(RemoveTree(this->files, u"\\\\?\\" + this->At(u"deep")));
}

// A handle moves its entry into a folder given by its handle, never over another entry.
// Windows moves the entry held, with the right to delete it; Wine what the path it took at
// the opening leads to now, with any right.
TYPED_TEST_P(FileSystemContract, AHandleMovesItsEntryIntoAnotherFolder) {
    const Text held = this->At(u"held");
    for (const Text name : {u"", u"\\a", u"\\a\\inner", u"\\a\\inner\\deeper", u"\\taken"})
        ASSERT_TRUE(this->fixture.MakeFolder(held + name));
    ASSERT_TRUE(WriteFile(this->files, held + u"\\a\\inner\\deeper\\file.txt", "x"));
    std::unique_ptr<EntryHandle> top =
        this->files.OpenEntry(held, rights::kListDirectory, LinkAtEnd::Opened);
    ASSERT_TRUE(top);
    const std::optional<Text> final = top->FinalPath();
    ASSERT_TRUE(final);
    std::unique_ptr<EntryHandle> a = top->OpenChild(u"a", rights::kListDirectory);
    ASSERT_TRUE(a);
    {
        std::unique_ptr<EntryHandle> inner =
            a->OpenChild(u"inner", rights::kListDirectory | rights::kDelete);
        ASSERT_TRUE(inner);
        EXPECT_FALSE(inner->MoveInto(*top, u"taken"));
        EXPECT_FALSE(inner->MoveInto(*top, u"two\\names"));
        std::unique_ptr<EntryHandle> deeper = inner->OpenChild(u"deeper", rights::kListDirectory);
        ASSERT_TRUE(deeper);
        EXPECT_FALSE(inner->MoveInto(*deeper, u"into itself"));
        deeper.reset();
        std::unique_ptr<EntryHandle> taken = top->OpenChild(u"taken", rights::kListDirectory);
        ASSERT_TRUE(taken);
        EXPECT_EQ(taken->MoveInto(*a, u"taken"), TypeParam::UnderWine());

        EXPECT_TRUE(inner->MoveInto(*top, u"moved"));
        EXPECT_EQ(inner->FinalPath(), *final + u"\\moved");
        std::unique_ptr<EntryHandle> below = inner->OpenChild(u"deeper", rights::kListDirectory);
        ASSERT_TRUE(below);
        EXPECT_EQ(below->FinalPath(), *final + u"\\moved\\deeper");
    }
    EXPECT_TRUE(this->files.PathFileExists(held + u"\\moved\\deeper\\file.txt"));
    EXPECT_FALSE(this->files.PathFileExists(held + u"\\a\\inner"));

    // Another program renames the entry and puts a new one under its name.
    std::unique_ptr<EntryHandle> moved = top->OpenChild(u"moved", rights::kDelete);
    ASSERT_TRUE(moved);
    ASSERT_TRUE(this->fixture.Rename(held + u"\\moved", held + u"\\renamed"));
    ASSERT_TRUE(this->fixture.MakeFolder(held + u"\\moved"));
    EXPECT_TRUE(moved->MoveInto(*a, u"back"));
    EXPECT_EQ(moved->FinalPath(), *final + u"\\a\\back");
    // Windows moved the entry held, Wine the new one.
    const Text stays = TypeParam::UnderWine() ? u"renamed" : u"moved";
    EXPECT_TRUE(this->files.PathFileExists(held + u"\\" + stays));
    EXPECT_EQ(this->files.PathFileExists(held + u"\\a\\back\\deeper\\file.txt"),
              !TypeParam::UnderWine());
}

// What counting a folder needs without opening its entries: each file's size from the
// listing, and the folder's write time, read again through the same handle, moving when an
// entry comes or goes (it moves in steps of a few milliseconds under Wine: the test waits).
TYPED_TEST_P(FileSystemContract, AListingGivesFileSizesAndAFoldersWriteTimeMovesWithItsEntries) {
    const Text held = this->At(u"counted");
    ASSERT_TRUE(this->fixture.MakeFolder(held));
    ASSERT_TRUE(this->fixture.MakeFolder(held + u"\\sub"));
    ASSERT_TRUE(WriteFile(this->files, held + u"\\five.txt", "12345"));
    std::unique_ptr<EntryHandle> folder =
        this->files.OpenEntry(held, rights::kListDirectory, LinkAtEnd::Opened);
    ASSERT_TRUE(folder);
    std::map<Text, std::uint64_t> sizes;
    DirectoryEntry entry;
    while (folder->ReadDirectory(entry)) sizes[entry.name] = entry.size;
    EXPECT_EQ(sizes[u"five.txt"], 5u);
    EXPECT_EQ(sizes[u"sub"], 0u);

    const std::optional<EntryTimes> before = folder->Times();
    ASSERT_TRUE(before);
    this->fixture.WaitForTimers(50);
    ASSERT_TRUE(WriteFile(this->files, held + u"\\new.txt", ""));
    const std::optional<EntryTimes> created = folder->Times();
    ASSERT_TRUE(created);
    EXPECT_GT(created->lastWrite, before->lastWrite);
    this->fixture.WaitForTimers(50);
    ASSERT_TRUE(this->files.DeleteFile(held + u"\\new.txt"));
    const std::optional<EntryTimes> deleted = folder->Times();
    ASSERT_TRUE(deleted);
    EXPECT_GT(deleted->lastWrite, created->lastWrite);
}

TYPED_TEST_P(FileSystemContract, AFileHandleReadsWithItsRightAndAtMostTheLimit) {
    const Text held = this->At(u"Read");
    ASSERT_TRUE(this->fixture.MakeFolder(held));
    ASSERT_TRUE(WriteFile(this->files, held + u"\\item.trashinfo", "abcdefgh"));
    std::unique_ptr<EntryHandle> folder =
        this->files.OpenEntry(held, rights::kListDirectory, LinkAtEnd::Opened);
    ASSERT_TRUE(folder);
    std::unique_ptr<EntryHandle> file = folder->OpenChild(u"item.trashinfo", rights::kReadData);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Read(5), "abcde");
    EXPECT_EQ(file->Read(100), "fgh");
    EXPECT_EQ(file->Read(100), "");
    EXPECT_FALSE(folder->OpenChild(u"item.trashinfo", 0)->Read(100)) << "without the right";
    EXPECT_FALSE(folder->Read(100)) << "a folder";
}

// A watched folder tells its entries coming, being renamed and going, in order; the system
// may tell a little after the change (Wine hears of it from the Unix kernel), so the test
// waits a moment for them.
TYPED_TEST_P(FileSystemContract, AWatchedFolderTellsItsEntriesComingRenamedAndGoing) {
    const Text held = this->At(u"watched");
    ASSERT_TRUE(this->fixture.MakeFolder(held));
    std::unique_ptr<EntryHandle> folder =
        this->files.OpenEntry(held, rights::kListDirectory, LinkAtEnd::Opened);
    ASSERT_TRUE(folder);
    std::unique_ptr<FolderWatch> watch = folder->Watch();
    ASSERT_TRUE(watch);
    EXPECT_EQ(watch->TakeChanges(), std::vector<FolderChange>{});

    ASSERT_TRUE(WriteFile(this->files, held + u"\\a.txt", "abc"));
    ASSERT_TRUE(this->fixture.Rename(held + u"\\a.txt", held + u"\\b.txt"));
    ASSERT_TRUE(this->files.DeleteFile(held + u"\\b.txt"));
    ASSERT_TRUE(this->fixture.MakeFolder(held + u"\\sub"));
    using Action = FolderChange::Action;
    const std::vector<FolderChange> expected = {{Action::Added, u"a.txt"},
                                                {Action::RenamedFrom, u"a.txt"},
                                                {Action::RenamedTo, u"b.txt"},
                                                {Action::Removed, u"b.txt"},
                                                {Action::Added, u"sub"}};
    std::vector<FolderChange> seen;
    for (int wait = 0; wait < 40 && seen.size() < expected.size(); ++wait) {
        std::optional<std::vector<FolderChange>> changes = watch->TakeChanges();
        ASSERT_TRUE(changes);
        // A file's writing may also be told, as a change of its size.
        for (FolderChange& change : *changes) {
            if (change.action != Action::Modified) seen.push_back(std::move(change));
        }
        this->fixture.WaitForTimers(50);
    }
    EXPECT_EQ(seen, expected);

    // More changes than the watch holds between two looks are told as lost, and it goes on.
    for (int file = 0; file < 5000; ++file) {
        const std::string digits = std::to_string(10000 + file);
        ASSERT_TRUE(WriteFile(this->files, held + u"\\" + Text(digits.begin(), digits.end()), ""));
    }
    bool lost = false;
    for (int wait = 0; wait < 40 && !lost; ++wait) {
        lost = !watch->TakeChanges();
        this->fixture.WaitForTimers(50);
    }
    EXPECT_TRUE(lost);
    ASSERT_TRUE(this->fixture.MakeFolder(held + u"\\after"));
    bool told = false;
    for (int wait = 0; wait < 40 && !told; ++wait) {
        const std::optional<std::vector<FolderChange>> changes = watch->TakeChanges();
        told = changes && std::find(changes->begin(), changes->end(),
                                    FolderChange{Action::Added, u"after"}) != changes->end();
        this->fixture.WaitForTimers(50);
    }
    EXPECT_TRUE(told);

    // A watch started by a thread that has ended: Windows ends its read with the thread.
    std::unique_ptr<FolderWatch> orphan;
    std::thread([&] { orphan = folder->Watch(); }).join();
    ASSERT_TRUE(orphan);
    ASSERT_TRUE(this->fixture.MakeFolder(held + u"\\orphaned"));
    bool orphanLost = false;
    for (int wait = 0; wait < 40 && !orphanLost; ++wait) {
        orphanLost = !orphan->TakeChanges();
        this->fixture.WaitForTimers(50);
    }
    EXPECT_TRUE(orphanLost);
    orphan.reset();

    // A file cannot be watched.
    ASSERT_TRUE(WriteFile(this->files, held + u"\\c.txt", "c"));
    std::unique_ptr<EntryHandle> file =
        this->files.OpenEntry(held + u"\\c.txt", rights::kListDirectory, LinkAtEnd::Opened);
    ASSERT_TRUE(file);
    EXPECT_FALSE(file->Watch());
}

REGISTER_TYPED_TEST_SUITE_P(FileSystemContract, BytesComeBackAsWritten, OutputTruncatesThenAppends,
                            OpenRefusesWhatCannotBeOpened, AttributesAreReportedAndSet,
                            NamesIgnoreCaseButKeepTheirOwn, PatternsMatchAsFindFirstFileDoes,
                            AFolderListsDotAndDotDotFirstAndHiddenEntriesToo, ADrivesRootHasNoDotEntries,
                            SearchesOfWhatIsNotThereFail,
                            DeleteFileRefusesWhatWindowsProtects, RemoveDirectoryTakesOnlyEmptyFolders,
                            OpenFilesShareReadingOnly,
                            PathsAreNormalised, AnEightDotThreeAliasNamesTheEntryToo,
                            AFinalPathNamesTheEntryItself, AFolderHandleListsAndOpensItsOwnEntries,
                            AHandleChangesAndDeletesItsEntryWithItsRights,
                            AHandleKeepsToItsEntryWhenAnotherTakesItsPlace,
                            AFinalPathNamesAnEntryBeyondMaxPath,
                            AHandleMovesItsEntryIntoAnotherFolder,
                            AListingGivesFileSizesAndAFoldersWriteTimeMovesWithItsEntries,
                            AFileHandleReadsWithItsRightAndAtMostTheLimit,
                            AWatchedFolderTellsItsEntriesComingRenamedAndGoing);
INSTANTIATE_TYPED_TEST_SUITE_P(Platform, FileSystemContract, PlatformUnderTest, PlatformName);

}  // namespace
}  // namespace dustvale::contract
