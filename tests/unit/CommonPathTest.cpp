#include <gtest/gtest.h>

#include "app/InfoBox.h"
#include "clean/RecentDocuments.h"
#include "common/PathRules.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimKernel.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/SimUserInterface.h"
#include "platform/sim/SimWindows.h"

namespace dustvale {
namespace {

class CommonPath : public ::testing::Test {
protected:
    CommonPath() {
        auto& files = sim.files();
        files.AddFolder(u"C:\\Documents and Settings\\Bob\\Local Settings\\Temp");
        files.SetShortName(u"C:\\Documents and Settings", u"DOCUME~1");
        files.SetShortName(u"C:\\Documents and Settings\\Bob\\Local Settings", u"LOCALS~1");
        files.AddFolder(u"C:\\ProgramData", attr::kDirectory | attr::kHidden | attr::kSystem);
        files.AddFile(u"C:\\ProgramData\\hidden.dat", {}, attr::kHidden | attr::kReadOnly);
        files.AddFolder(
            u"C:\\Users\\\u0432\u0430\u0441\u044F \u043F\u0443\u043F\u043A\u0438\u043D");
        files.AddFolder(u"C:\\Users\\\u5C71\u7530");
    }

    sim::SimWindows sim;
};

TEST_F(CommonPath, NormalizePathSpellsEveryComponentByItsStoredNameInProperCase) {
    struct Case {
        Text input;
        Text expected;
    };
    const Case cases[] = {
        {u"C:\\DOCUME~1\\Bob\\LOCALS~1\\Temp",
         u"C:\\Documents And Settings\\Bob\\Local Settings\\Temp"},
        {u"C:\\DOCUME~1\\Bob\\LOCALS~1\\Temp\\",
         u"C:\\Documents And Settings\\Bob\\Local Settings\\Temp"},
        {u"\"C:\\DOCUME~1\\Bob\\LOCALS~1\\Temp\"",
         u"C:\\Documents And Settings\\Bob\\Local Settings\\Temp"},
        {u"  c:\\documents and settings\\BOB  ", u"C:\\Documents And Settings\\Bob"},
        {u"c:\\programdata\\HIDDEN.DAT", u"C:\\Programdata\\Hidden.dat"},
        {u"C:\\users\\\u0412\u0410\u0421\u042F \u041F\u0423\u041F\u041A\u0418\u041D",
         u"C:\\Users\\\u0412\u0430\u0441\u044F \u041F\u0443\u043F\u043A\u0438\u043D"},
        {u"C:\\Users\\\u5C71\u7530", u"C:\\Users\\\u5C71\u7530"},
        // A bare drive, in any case, is never looked up.
        {u"c:", u"C:"},
        {u"C:\\", u"C:"},
        {u"q:\\", u"Q:"},
        // "." and ".." name no entry of their own: nothing, rather than a long path that
        // repeats a folder's name or walks up from it.
        {u"C:\\Users\\.\\Bob", u""},
        {u"C:\\DOCUME~1\\..\\Users", u""},
        {u"C:\\Users\\...", u""},
        {u"C:\\Users\\. .\\Bob", u""},
        {u"C:\\.\\Users", u""},
        // "/" separates components as "\" does; none is lost.
        {u"C:\\DOCUME~1\\Bob/LOCALS~1\\Temp",
         u"C:\\Documents And Settings\\Bob\\Local Settings\\Temp"},
        {u"c:/documents and settings/bob/", u"C:\\Documents And Settings\\Bob"},
        {u"C:/", u"C:"},
        // No drive in the first two characters: nothing, never a text ending in "\" (an
        // empty path as "\", the current drive's root).
        {u"", u""},
        {u"   ", u""},
        {u"\"\"", u""},
        {u"\\", u""},
        {u"C", u""},
        {u"C\\", u""},
        {u"o/\\", u""},
        {u"\\\\", u""},
        // One missing component, wherever it lies, gives nothing.
        {u"C:\\Nowhere\\Bob\\LOCALS~1\\Temp", u""},
        {u"C:\\DOCUME~1\\Alice\\LOCALS~1\\Temp", u""},
        {u"C:\\DOCUME~1\\Bob\\LOCALS~1\\Temp\\missing", u""},
        {u"Q:\\Temp", u""},
        // A wildcard names no entry, even where it would match one.
        {u"C:\\DOCUME*\\Bob", u""},
        {u"C:\\Users\\B?b", u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NormalizePath(sim.files(), c.input), c.expected)
            << "input: " << std::string(c.input.begin(), c.input.end());
    }
    EXPECT_EQ(sim.files().OpenSearches(), 0u);
}

TEST_F(CommonPath, PathExistsSeesFilesAndFoldersHiddenOrNot) {
    EXPECT_TRUE(PathExists(sim.files(), u"C:\\ProgramData"));
    EXPECT_TRUE(PathExists(sim.files(), u"C:\\ProgramData\\hidden.dat"));
    EXPECT_TRUE(PathExists(sim.files(), u"C:\\DOCUME~1\\Bob"));
    EXPECT_FALSE(PathExists(sim.files(), u"C:\\ProgramData\\missing.dat"));
    EXPECT_FALSE(PathExists(sim.files(), u""));
}

TEST_F(CommonPath, MessageTitleIsTheTrimmedTitleOrTheExecutableWithItsVersion) {
    struct Case {
        Text module;
        Text title;
        Text expected;
    };
    const Case cases[] = {
        {u"C:\\Program Files\\Dustvale\\Dustvale.exe", u"", u"Dustvale v1.0.0"},
        {u"C:\\Program Files\\Dustvale\\Dustvale.exe", u"    ", u"Dustvale v1.0.0"},
        {u"C:\\Program Files\\Dustvale\\Dustvale.exe", u"  Options  ", u"Options"},
        {u"C:\\Program Files\\Dustvale\\Dustvale.exe", u"\tTab", u"\tTab"},
        {u"D:\\Tools\\cleaner.exe", u"", u"cleaner v1.0.0"},
        {u"D:\\my.tools\\tray.v2.EXE", u"", u"tray.v2 v1.0.0"},
        {u"D:\\my.tools\\tray", u"", u"tray v1.0.0"},
    };
    for (const auto& c : cases) {
        sim.kernel().SetModuleFileName(c.module);
        EXPECT_EQ(BuildMessageTitle(sim.kernel(), c.title), c.expected);
    }
}

TEST_F(CommonPath, ShowInfoShowsAnOkBoxWithTheInformationIcon) {
    auto platform = sim.platform();
    ShowInfo(platform, u"This application must be restarted.", u"");
    ASSERT_EQ(sim.ui().MessageBoxes().size(), 1u);
    const auto& box = sim.ui().MessageBoxes().back();
    EXPECT_EQ(box.text, u"This application must be restarted.");
    EXPECT_EQ(box.caption, u"Dustvale v1.0.0");
    EXPECT_EQ(box.style, 64u);
}

TEST_F(CommonPath, ClearRecentDocumentsAsksTheShellOncePerCall) {
    ClearRecentDocuments(sim.shell());
    EXPECT_EQ(sim.shell().RecentDocsCleared(), 1u);
    ClearRecentDocuments(sim.shell());
    EXPECT_EQ(sim.shell().RecentDocsCleared(), 2u);
}

}  // namespace
}  // namespace dustvale
