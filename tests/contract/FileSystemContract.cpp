// The file system keeps the rules of Windows on every platform: names, patterns, attributes,
// and the operations that must refuse.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
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
    const std::optional<Text> folder = this->files.FinalPath(this->scratch);
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
        EXPECT_EQ(this->files.FinalPath(c.path), c.expected) << Narrow(c.path);
    }
    EXPECT_EQ(this->files.FinalPath(this->At(u"missing.txt")), std::nullopt);
    EXPECT_EQ(this->files.FinalPath(this->At(u"missing\\file.txt")), std::nullopt);
}

REGISTER_TYPED_TEST_SUITE_P(FileSystemContract, BytesComeBackAsWritten, OutputTruncatesThenAppends,
                            OpenRefusesWhatCannotBeOpened, AttributesAreReportedAndSet,
                            NamesIgnoreCaseButKeepTheirOwn, PatternsMatchAsFindFirstFileDoes,
                            AFolderListsDotAndDotDotFirstAndHiddenEntriesToo, ADrivesRootHasNoDotEntries,
                            SearchesOfWhatIsNotThereFail,
                            DeleteFileRefusesWhatWindowsProtects, RemoveDirectoryTakesOnlyEmptyFolders,
                            OpenFilesShareReadingOnly,
                            PathsAreNormalised, AnEightDotThreeAliasNamesTheEntryToo,
                            AFinalPathNamesTheEntryItself);
INSTANTIATE_TYPED_TEST_SUITE_P(Platform, FileSystemContract, PlatformUnderTest, PlatformName);

}  // namespace
}  // namespace dustvale::contract
