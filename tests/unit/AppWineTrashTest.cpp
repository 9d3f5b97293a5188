// Under Wine the tray counts and empties the user's Trash itself.

#include <gtest/gtest.h>

#include <algorithm>

#include "AppTestScene.h"
#include "TrashTestScene.h"
#include "app/SizeLine.h"

namespace dustvale {
namespace {

using apptest::AppScene;
using namespace trashtest;

std::size_t LinesHolding(AppScene& scene, const Text& part) {
    const auto& lines = scene.sim.kernel().DebugOutput();
    return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [&](const Text& line) {
        return line.find(part) != Text::npos;
    }));
}

TEST(AppWineTrash, EmptyRemovesTrashedFoldersAndTheTrayShowsAnEmptyBin) {
    AppScene scene;
    MakeWineWithTrash(scene.sim);
    TrashFolderAndFile(scene.sim);
    TrayApplication& app = scene.Create();
    scene.sim.Advance(1000);
    EXPECT_EQ(scene.ShownIcon()->tip, u"Dustvale (2 items)");
    EXPECT_EQ(app.Menu().Item("sizeLine").caption, FormatSizeLine(15, 2));

    ASSERT_TRUE(scene.Choose({u"Recycle Bin", u"Empty"}));
    scene.sim.Advance(1000);

    EXPECT_TRUE(scene.sim.files().Tree(kFiles).empty());
    EXPECT_TRUE(scene.sim.files().Tree(kInfo).empty());
    EXPECT_EQ(scene.ShownIcon()->tip, u"Dustvale");
    EXPECT_TRUE(scene.sim.shell().EmptyCalls().empty()) << "Wine's own emptying hides files";
    EXPECT_EQ(scene.sim.shell().QueryCount(), 0u) << "Wine's own count reads every .trashinfo";
}

TEST(AppWineTrash, AutoEmptyOfATrashWhoseItemsCannotGoKeepsThemVisibleAndWaitsBeforeTryingAgain) {
    AppScene scene;
    MakeWineWithTrash(scene.sim);
    TrashFolderAndFile(scene.sim);
    scene.sim.files().SetReadOnlyFolder(kFiles, true);
    scene.sim.files().AddFile(apptest::kSettingsFile, "1\r\n");
    scene.Create();
    scene.sim.Advance(10'000);

    EXPECT_EQ(LinesHolding(scene, u"the Trash is not emptied: " + kFiles + u" is write-protected"),
              1u);
    EXPECT_EQ(scene.ShownIcon()->tip, u"Dustvale (2 items)");
    EXPECT_EQ(scene.sim.files().Tree(kInfo).size(), 2u);
    EXPECT_TRUE(scene.sim.files().Deletions().empty());
}

TEST(AppWineTrash, ATrashLeftAloneIsNeitherEmptiedNorCountedDirectlyAndTheReasonIsLoggedOnce) {
    const struct {
        const char* label;
        void (*arrange)(sim::SimWindows&);
        Text reason;
    } cases[] = {
        {"a link",
         [](sim::SimWindows& sim) {
             sim.files().AddFolder(u"Z:\\srv");
             sim.files().MoveEntry(kTrash, u"Z:\\srv\\Trash");
             sim.files().AddUnixLink(kTrash, u"Z:\\srv\\Trash");
         },
         kTrash + u" is a link"},
        {"outside the home folder",
         [](sim::SimWindows& sim) {
             sim.kernel().SetEnvironmentVariable(u"XDG_DATA_HOME", u"/srv");
             sim.files().AddFolder(u"Z:\\srv\\Trash\\files");
             sim.files().AddFolder(u"Z:\\srv\\Trash\\info");
         },
         u"the Trash Z:\\srv\\Trash lies outside the home folder " + kHome},
    };
    for (const auto& c : cases) {
        AppScene scene;
        MakeWineWithTrash(scene.sim);
        c.arrange(scene.sim);
        scene.sim.files().AddFile(u"Z:\\srv\\Trash\\files\\letter.txt", "abc");
        scene.sim.files().AddFile(u"Z:\\srv\\Trash\\info\\letter.txt.trashinfo", "[Trash Info]\n");
        scene.sim.shell().AddToRecycleBin(u'C', 3);  // what Wine's own count finds
        scene.Create();
        scene.sim.Advance(3000);
        ASSERT_TRUE(scene.Choose({u"Recycle Bin", u"Empty"})) << c.label;
        scene.sim.Advance(1000);

        EXPECT_EQ(LinesHolding(scene, u"the Trash is left alone: " + c.reason), 1u) << c.label;
        EXPECT_EQ(LinesHolding(scene, u"the Trash is not emptied: " + c.reason), 1u) << c.label;
        EXPECT_TRUE(scene.sim.files().Deletions().empty()) << c.label;
        EXPECT_TRUE(scene.sim.shell().EmptyCalls().empty()) << c.label;
        EXPECT_EQ(scene.ShownIcon()->tip, u"Dustvale (1 items)") << c.label;
    }
}

}  // namespace
}  // namespace dustvale
