#include <gtest/gtest.h>

#include "common/FileExists.h"
#include "platform/sim/SimFileSystem.h"

namespace dustvale {
namespace {

TEST(CommonFileExists, SeesNormalFilesAndFoldersButNotHiddenOrSystemOnes) {
    sim::SimFileSystem files;
    files.AddFile(u"C:\\App\\plain.ico");
    files.AddFile(u"C:\\App\\readonly.ico", "", attr::kReadOnly);
    files.AddFile(u"C:\\App\\hidden.ico", "", attr::kArchive | attr::kHidden);
    files.AddFile(u"C:\\App\\system.ico", "", attr::kArchive | attr::kSystem);
    files.AddFolder(u"C:\\App\\full.ico");
    files.AddFolder(u"C:\\App\\HiddenDir", attr::kDirectory | attr::kHidden);
    files.AddFile(u"C:\\Mixed\\a.cfg", "", attr::kHidden);
    files.AddFile(u"C:\\Mixed\\b.cfg", "", attr::kSystem);
    files.AddFile(u"C:\\Mixed\\c.cfg");
    files.AddFile(u"C:\\OnlyHidden\\a.cfg", "", attr::kHidden);
    files.AddFolder(u"C:\\Locked");
    files.AddFile(u"C:\\Locked\\x.txt");
    files.SetDenyListing(u"C:\\Locked", true);

    const struct {
        const char16_t* path;
        bool exists;
    } cases[] = {
        {u"C:\\App\\plain.ico", true},
        {u"c:\\app\\PLAIN.ICO", true},  // names are not case-sensitive
        {u"C:\\App\\readonly.ico", true},
        {u"C:\\App\\hidden.ico", false},
        {u"C:\\App\\system.ico", false},
        {u"C:\\App\\full.ico", true},  // a folder counts
        {u"C:\\App\\HiddenDir", false},
        {u"C:\\App\\missing.ico", false},
        {u"C:\\App\\*.ico", true},  // a pattern
        {u"C:\\App\\pl?in.ico", true},
        {u"C:\\Mixed\\*.cfg", true},        // hidden and system entries are passed over
        {u"C:\\OnlyHidden\\*.cfg", false},  // and nothing else matches
        {u"C:\\Missing\\plain.ico", false},
        {u"Q:\\plain.ico", false},  // no such drive
        {u"C:\\Locked\\x.txt", false},  // the folder cannot be listed
        {u"C:\\App\\bad|name", false},
        {u"C:\\App\\", false},
        {u"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileExists(files, c.path), c.exists) << std::u16string(c.path).size();
    }
    EXPECT_EQ(files.OpenSearches(), 0u);
}

}  // namespace
}  // namespace dustvale
