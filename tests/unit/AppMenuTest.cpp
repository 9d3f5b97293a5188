#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "AppTestScene.h"
#include "app/MenuTree.h"
#include "app/OptionsDialog.h"
#include "platform/sim/SimDialogs.h"

namespace dustvale {
namespace {

using apptest::AppScene;
using sim::SimUserInterface;

const Text kTempFile = u"C:\\Users\\Bob\\AppData\\Local\\Temp\\setup.tmp";
const Text kAboutText =
    u"Dustvale\r\n"
    u"  Made by Quillmere (https://quillmere.example)\r\n"
    u"  Icons by Quillmere (https://quillmere.example/icons)\r\n"
    u"\r\n";
const Text kQuestion =
    u"Please make sure that you dont have any programs running while you do this operation";
const Text kTempDone = u"The Windows Temporary folder has been cleaned.";

// The captions of a menu level, separators as "-".
std::vector<Text> Captions(const std::vector<MenuItem>& items) {
    std::vector<Text> captions;
    for (const MenuItem& item : items) captions.push_back(item.separator ? u"-" : item.caption);
    return captions;
}

const MenuItem& Child(const std::vector<MenuItem>& items, const Text& caption) {
    for (const MenuItem& item : items) {
        if (item.caption == caption) return item;
    }
    throw std::out_of_range("no such item");
}

std::vector<Text> BoxTexts(AppScene& scene) {
    std::vector<Text> texts;
    for (const auto& box : scene.sim.ui().MessageBoxes()) texts.push_back(box.text);
    return texts;
}

TEST(AppMenu, TheMenuShowsTheVisibleItemsAtTheCursor) {
    for (bool ccleaner : {false, true}) {
        AppScene scene;
        if (ccleaner) scene.sim.files().AddFile(apptest::kCCleaner, "MZ");
        TrayApplication& app = scene.Create();
        scene.sim.windows().SetCursorPos({1210, 1005});
        scene.Release();
        ASSERT_EQ(scene.sim.ui().Menus().size(), 1u);
        const auto& menu = scene.sim.ui().Menus()[0];
        EXPECT_EQ(menu.position, (Point{1210, 1005}));
        EXPECT_EQ(menu.owner, app.Window());
        EXPECT_EQ(Captions(menu.items), (std::vector<Text>{u"0", u"Recycle Bin", u"Clean", u"-",
                                                           u"Options", u"About", u"-", u"Exit"}));
        EXPECT_EQ(Captions(Child(menu.items, u"Recycle Bin").children),
                  (std::vector<Text>{u"Empty", u"Open"}));
        EXPECT_EQ(Captions(Child(menu.items, u"Clean").children),
                  ccleaner ? (std::vector<Text>{u"Temp Files", u"CCleaner"})
                           : (std::vector<Text>{u"Temp Files"}));
    }
}

TEST(AppMenu, ReleasingAnyButtonOpensTheMenuWithTheMainWindowInFront) {
    const struct {
        std::int32_t notification;
        bool opens;
    } cases[] = {
        {msg::kLButtonUp, true},      {msg::kRButtonUp, true},      {msg::kMButtonUp, true},
        {msg::kLButtonDown, false},   {msg::kRButtonDown, false},   {msg::kMButtonDown, false},
        {msg::kLButtonDblClk, false}, {msg::kMouseMove, false},
    };
    for (const auto& c : cases) {
        AppScene scene;
        TrayApplication& app = scene.Create();
        Hwnd foregroundAtMenu = 0;
        scene.sim.ui().AnswerMenu([&](const SimUserInterface::MenuCall&) {
            foregroundAtMenu = scene.sim.windows().Foreground();
            return 0u;
        });
        ASSERT_TRUE(scene.Release(c.notification));
        EXPECT_EQ(scene.sim.ui().Menus().size(), c.opens ? 1u : 0u) << c.notification;
        if (c.opens) {
            EXPECT_EQ(foregroundAtMenu, app.Window());
        }
    }
}

TEST(AppMenu, TheFirstLineShowsTheLastSizeLineAndDoesNothing) {
    AppScene scene;
    scene.sim.shell().AddToRecycleBin(u'C', 2500);
    scene.Create();
    scene.sim.Advance(1000);
    ASSERT_TRUE(scene.Choose({u"2500 bytes. (1 items)"}));
    EXPECT_TRUE(scene.sim.ui().MessageBoxes().empty());
    EXPECT_TRUE(scene.sim.shell().EmptyCalls().empty());
    EXPECT_TRUE(scene.sim.shell().ExecuteCalls().empty());
    EXPECT_TRUE(scene.sim.shell().RunCalls().empty());
    EXPECT_TRUE(scene.options.shown.empty());
    EXPECT_TRUE(scene.app->IsOpen());
}

TEST(AppMenu, EmptyEmptiesEveryBinWithoutAQuestion) {
    AppScene scene;
    TrayApplication& app = scene.Create();
    ASSERT_TRUE(scene.Choose({u"Recycle Bin", u"Empty"}));  // already empty: nothing to see
    ASSERT_EQ(scene.sim.shell().EmptyCalls().size(), 1u);
    EXPECT_EQ(scene.sim.shell().EmptyCalls()[0].owner, app.Window());
    EXPECT_EQ(scene.sim.shell().EmptyCalls()[0].flags, 7u);
    EXPECT_TRUE(scene.sim.ui().MessageBoxes().empty());
}

TEST(AppMenu, OpenStartsExplorerRootedAtTheRecycleBin) {
    AppScene scene;
    scene.Create();
    ASSERT_TRUE(scene.Choose({u"Recycle Bin", u"Open"}));
    ASSERT_EQ(scene.sim.shell().ExecuteCalls().size(), 1u);
    const auto& call = scene.sim.shell().ExecuteCalls()[0];
    EXPECT_EQ(call.owner, 0u);
    EXPECT_EQ(call.verb, u"Open");
    EXPECT_EQ(call.file, u"explorer.exe");
    EXPECT_EQ(call.parameters, u"/root,::{645FF040-5081-101B-9F08-00AA002F954E}");
    EXPECT_FALSE(call.directory.has_value());
    EXPECT_EQ(call.show, 1);
}

TEST(AppMenu, RecentFilesClearsTheListThenSaysSo) {
    AppScene scene;
    scene.Create();
    // The item is hidden; its command runs when something shows it.
    scene.sim.ui().AnswerMenu([](const SimUserInterface::MenuCall&) {
        return static_cast<std::uint32_t>(MenuCommand::RecentFiles);
    });
    scene.Release();
    EXPECT_EQ(scene.sim.shell().RecentDocsCleared(), 1u);
    ASSERT_EQ(scene.sim.ui().MessageBoxes().size(), 1u);
    const auto& box = scene.sim.ui().MessageBoxes()[0];
    EXPECT_EQ(box.text, u"The Recent Files list has been cleaned.");
    EXPECT_EQ(box.caption, u"Dustvale");
    EXPECT_EQ(box.style, mb::kOk | mb::kIconInformation);
}

TEST(AppMenu, TempFilesAsksFirstAndCancelTouchesNothing) {
    AppScene scene;
    scene.sim.files().AddFile(kTempFile, "x");
    TrayApplication& app = scene.Create();
    scene.sim.ui().AnswerMessageBox([](const auto&) { return mb::kIdCancel; });
    ASSERT_TRUE(scene.Choose({u"Clean", u"Temp Files"}));
    ASSERT_EQ(scene.sim.ui().MessageBoxes().size(), 1u);
    const auto& question = scene.sim.ui().MessageBoxes()[0];
    EXPECT_EQ(question.text, kQuestion);
    EXPECT_EQ(question.caption, u"Dustvale");
    EXPECT_EQ(question.style, mb::kOkCancel);
    EXPECT_EQ(question.owner, app.Window());
    EXPECT_TRUE(scene.sim.files().Exists(kTempFile));
    EXPECT_TRUE(scene.sim.files().Deletions().empty());
}

TEST(AppMenu, TempFilesOkCleansThenSaysSo) {
    AppScene scene;
    scene.sim.files().AddFile(kTempFile, "x");
    scene.Create();
    ASSERT_TRUE(scene.Choose({u"Clean", u"Temp Files"}));
    EXPECT_FALSE(scene.sim.files().Exists(kTempFile));
    ASSERT_EQ(scene.sim.ui().MessageBoxes().size(), 2u);
    const auto& done = scene.sim.ui().MessageBoxes()[1];
    EXPECT_EQ(done.text, kTempDone);
    EXPECT_EQ(done.caption, u"Dustvale");
    EXPECT_EQ(done.style, mb::kOk | mb::kIconInformation);
}

TEST(AppMenu, ARefusedTempFilesCleanSaysWhyInsteadOfClaimingItCleaned) {
    const struct {
        std::optional<Text> tempPath;
        Text said;
    } cases[] = {
        {apptest::kAppFolder + u"\\",
         u"The Windows Temporary folder was not cleaned, because it is set to \"" +
             apptest::kAppFolder + u"\", which holds Dustvale itself."},
        {u"C:\\Program Files",
         u"The Windows Temporary folder was not cleaned, because it is set to "
         u"\"C:\\Program Files\", which holds Dustvale itself."},
        {u"D:\\", u"The Windows Temporary folder was not cleaned, because it is set to "
                   u"\"D:\\\", the root of a drive."},
        {std::nullopt, u"The Windows Temporary folder was not cleaned, because Windows reports "
                       u"no temporary folder."},
    };
    for (const auto& c : cases) {
        AppScene scene;
        scene.sim.files().AddDrive(u'D');
        scene.sim.files().AddFile(apptest::kSettingsFile, "OFF\r\n");
        scene.sim.kernel().SetTempPath(c.tempPath);
        scene.Create();
        ASSERT_TRUE(scene.Choose({u"Clean", u"Temp Files"}));
        ASSERT_EQ(scene.sim.ui().MessageBoxes().size(), 2u);
        const auto& closing = scene.sim.ui().MessageBoxes()[1];
        EXPECT_EQ(closing.text, c.said);
        EXPECT_EQ(closing.style, mb::kOk | mb::kIconInformation);
        EXPECT_TRUE(scene.sim.files().Deletions().empty());
    }
}

TEST(AppMenu, CCleanerStartsFromTheFirstFixedPathThatHoldsIt) {
    const struct {
        bool programFiles, programFilesX86, removedAfterLoad;
        const char16_t* started;
    } cases[] = {
        {true, false, false, apptest::kCCleaner.c_str()},
        {false, true, false, apptest::kCCleanerX86.c_str()},
        {true, true, false, apptest::kCCleaner.c_str()},
        {true, false, true, nullptr},
    };
    for (const auto& c : cases) {
        AppScene scene;
        if (c.programFiles) scene.sim.files().AddFile(apptest::kCCleaner, "MZ");
        if (c.programFilesX86) scene.sim.files().AddFile(apptest::kCCleanerX86, "MZ");
        scene.Create();
        if (c.removedAfterLoad) scene.sim.files().DeleteFile(apptest::kCCleaner);
        ASSERT_TRUE(scene.Choose({u"Clean", u"CCleaner"}));  // shown as it was at the load
        const auto& runs = scene.sim.shell().RunCalls();
        if (c.started == nullptr) {
            EXPECT_TRUE(runs.empty());
        } else {
            ASSERT_EQ(runs.size(), 1u);
            EXPECT_EQ(runs[0].path, Text(c.started));
            EXPECT_EQ(runs[0].show, 1);
        }
        EXPECT_TRUE(scene.sim.ui().MessageBoxes().empty());
    }
}

TEST(AppMenu, AboutShowsTheFiveLines) {
    AppScene scene;
    scene.Create();
    ASSERT_TRUE(scene.Choose({u"About"}));
    ASSERT_EQ(scene.sim.ui().MessageBoxes().size(), 1u);
    const auto& box = scene.sim.ui().MessageBoxes()[0];
    EXPECT_EQ(box.text, kAboutText);
    EXPECT_EQ(box.caption, u"About Dustvale");
    EXPECT_EQ(box.style, mb::kOk | mb::kIconInformation);
}

TEST(AppMenu, OptionsShowsTheOneDialogAndBringsItForward) {
    AppScene scene;
    scene.sim.files().AddFile(apptest::kSettingsFile, "15\r\n");
    SingleOptionsDialog options(scene.platform, scene.programWindows, scene.files,
                                scene.initialization);
    ShellRecycleBin bin(scene.platform);
    TrayApplication app(scene.platform, scene.programWindows, scene.files, scene.initialization,
                        options, bin);
    const auto tray = app.Icon().Record();
    auto chooseOptions = [&] {
        scene.AnswerMenuWith({u"Options"});
        scene.sim.shell().SendCallback(tray.hWnd, tray.uID, msg::kRButtonUp);
    };
    chooseOptions();
    ASSERT_EQ(scene.sim.dialogs().Open().size(), 1u);
    EXPECT_EQ(scene.sim.dialogs().Open()[0]->GetText(OptionsDialog::ThresholdBox), u"15");
    chooseOptions();
    ASSERT_EQ(scene.sim.dialogs().Open().size(), 1u);
    EXPECT_EQ(scene.sim.dialogs().Open()[0]->TimesBroughtToFront(), 1);
}

TEST(AppMenu, ExitTakesTheIconAwayAndEndsTheMessageLoop) {
    AppScene scene;
    TrayApplication& app = scene.Create();
    const Hwnd window = app.Window();
    scene.sim.Advance(1000);
    ASSERT_TRUE(scene.Choose({u"Exit"}));
    EXPECT_TRUE(scene.sim.shell().Icons().empty());
    EXPECT_FALSE(app.IsOpen());
    EXPECT_TRUE(scene.sim.windows().QuitPosted());
    EXPECT_FALSE(scene.sim.windows().TimerRunning(window, 1));
    scene.sim.Advance(5000);
    EXPECT_EQ(scene.sim.shell().QueryCount(), 1u);
    EXPECT_TRUE(scene.sim.ui().MessageBoxes().empty());  // no question, nothing saved
    EXPECT_FALSE(scene.sim.files().Exists(apptest::kSettingsFile));
}

TEST(AppMenu, AnOpenOptionsDialogKeepsTheProcessAfterExit) {
    AppScene scene;
    apptest::OtherWindow options;
    scene.Create();
    scene.programWindows.Add(options);
    ASSERT_TRUE(scene.Choose({u"Exit"}));
    EXPECT_TRUE(scene.sim.shell().Icons().empty());  // at once
    EXPECT_FALSE(scene.sim.windows().QuitPosted());
    scene.programWindows.Remove(options);  // the dialog is closed
    EXPECT_TRUE(scene.sim.windows().QuitPosted());
}

// --- commands that run while a menu, a box or a clean is open -----------------------------

TEST(AppMenuReentry, ASecondMenuDoesNotStackOnAnOpenOne) {
    AppScene scene;
    scene.Create();
    int openWhileOpen = -1;
    scene.sim.ui().AnswerMenu([&](const SimUserInterface::MenuCall&) {
        scene.AnswerMenuWith({u"About"});  // would answer a second menu
        scene.Release(msg::kLButtonUp);
        openWhileOpen = static_cast<int>(scene.sim.ui().Menus().size());
        return 0u;
    });
    scene.Release();
    EXPECT_EQ(openWhileOpen, 1);
    EXPECT_EQ(scene.sim.ui().Menus().size(), 1u);
    EXPECT_TRUE(scene.sim.ui().MessageBoxes().empty());
    // Once closed, the next release opens it again.
    scene.Release();
    EXPECT_EQ(scene.sim.ui().Menus().size(), 2u);
}

TEST(AppMenuReentry, ExitChosenWhileTheAboutBoxIsOpen) {
    AppScene scene;
    scene.Create();
    scene.sim.ui().AnswerMessageBox([&](const auto&) {
        scene.AnswerMenuWith({u"Exit"});
        scene.Release();
        return mb::kIdOk;
    });
    ASSERT_TRUE(scene.Choose({u"About"}));
    EXPECT_FALSE(scene.app->IsOpen());
    EXPECT_TRUE(scene.sim.shell().Icons().empty());
    EXPECT_TRUE(scene.sim.windows().QuitPosted());
    EXPECT_EQ(scene.sim.ui().Menus().size(), 2u);
    scene.sim.Advance(3000);  // nothing runs any more
    EXPECT_EQ(scene.sim.shell().QueryCount(), 0u);
    scene.app.reset();
}

TEST(AppMenuReentry, ExitChosenWhileTheTempFilesQuestionIsOpenCleansNothing) {
    AppScene scene;
    scene.sim.files().AddFile(kTempFile, "x");
    scene.Create();
    scene.sim.ui().AnswerMessageBox([&](const auto&) {
        scene.AnswerMenuWith({u"Exit"});
        scene.Release();
        return mb::kIdOk;
    });
    ASSERT_TRUE(scene.Choose({u"Clean", u"Temp Files"}));
    EXPECT_TRUE(scene.sim.files().Exists(kTempFile));
    EXPECT_EQ(BoxTexts(scene), std::vector<Text>{kQuestion});
    EXPECT_FALSE(scene.app->IsOpen());
}

TEST(AppMenuReentry, ExitDuringTheCleanStopsItThereAndEndsTheLoop) {
    AppScene scene;
    const Text temp = u"C:\\Users\\Bob\\AppData\\Local\\Temp\\";
    for (int folder = 0; folder < 20; ++folder) {
        for (int file = 0; file < 20; ++file) {
            scene.sim.files().AddFile(temp + u"f" + Text(1, u'a' + folder) + u"\\" +
                                      Text(1, u'a' + file) + u".tmp");
        }
    }
    scene.Create();
    // The user chooses Exit once the clean has deleted 100 entries: the release waits in the
    // queue for the clean's next yield.
    std::optional<std::size_t> deletedAtExit;
    scene.sim.ui().AnswerMessageBox([&](const auto&) {
        scene.sim.ui().AnswerMenu([&](const SimUserInterface::MenuCall& call) {
            deletedAtExit = scene.sim.files().Deletions().size();
            return sim::FindCommand(call.items, {u"Exit"});
        });
        scene.sim.files().BeforeEachCall([&, posted = false](std::uint64_t) mutable {
            if (posted || scene.sim.files().Deletions().size() < 100) return;
            posted = true;
            const auto tray = scene.app->Icon().Record();
            scene.sim.windows().PostMessage(tray.hWnd, msg::kTrayCallback,
                                            static_cast<std::int32_t>(tray.uID), msg::kRButtonUp);
        });
        return mb::kIdOk;
    });
    ASSERT_TRUE(scene.Choose({u"Clean", u"Temp Files"}));
    ASSERT_EQ(deletedAtExit, 100u);
    EXPECT_EQ(scene.sim.files().Deletions().size(), 100u);
    EXPECT_EQ(scene.sim.files().Tree(temp).size(), 20u * 21u - 100u);
    EXPECT_EQ(scene.sim.files().OpenHandles(), 0u);
    EXPECT_FALSE(scene.app->IsOpen());
    EXPECT_TRUE(scene.sim.shell().Icons().empty());
    EXPECT_EQ(BoxTexts(scene), std::vector<Text>{kQuestion});
    // The message loop ends at once, without waiting for anything.
    const std::uint64_t now = scene.sim.clock().Now();
    EXPECT_EQ(scene.sim.windows().RunMessageLoop(), 0);
    EXPECT_EQ(scene.sim.clock().Now(), now);
    scene.app.reset();
}

TEST(AppMenuReentry, TempFilesWhileACleanRunsDoesNothing) {
    AppScene scene;
    scene.sim.files().AddFile(kTempFile, "x");
    scene.Create();
    scene.sim.ui().AnswerMessageBox([&](const auto&) {
        scene.AnswerMenuWith({u"Clean", u"Temp Files"});
        const auto tray = scene.app->Icon().Record();
        scene.sim.windows().PostMessage(tray.hWnd, msg::kTrayCallback,
                                        static_cast<std::int32_t>(tray.uID), msg::kRButtonUp);
        return mb::kIdOk;
    });
    ASSERT_TRUE(scene.Choose({u"Clean", u"Temp Files"}));
    EXPECT_EQ(scene.sim.ui().Menus().size(), 2u);
    EXPECT_EQ(BoxTexts(scene), (std::vector<Text>{kQuestion, kTempDone}));
    EXPECT_FALSE(scene.sim.files().Exists(kTempFile));
}

TEST(AppMenuReentry, ClosedWhileTheMenuIsOpenRunsNoCommand) {
    AppScene scene;
    scene.Create();
    scene.sim.ui().AnswerMenu([&](const SimUserInterface::MenuCall& call) {
        scene.app->Close();  // all windows closed, say
        return sim::FindCommand(call.items, {u"About"});
    });
    scene.Release();
    EXPECT_TRUE(scene.sim.ui().MessageBoxes().empty());
    EXPECT_TRUE(scene.sim.shell().Icons().empty());
    EXPECT_TRUE(scene.sim.windows().QuitPosted());
    scene.app.reset();
}

TEST(AppMenuReentry, TicksGoOnWhileTheMenuIsOpenAndExitStopsThem) {
    AppScene scene;
    scene.sim.shell().AddToRecycleBin(u'C', 10);
    TrayApplication& app = scene.Create();
    scene.sim.ui().AnswerMenu([&](const SimUserInterface::MenuCall& call) {
        scene.sim.Advance(2000);
        return sim::FindCommand(call.items, {u"Exit"});
    });
    scene.Release();
    EXPECT_EQ(scene.sim.shell().QueryCount(), 2u);
    EXPECT_EQ(app.Menu().Item("sizeLine").caption, u"10 bytes. (1 items)");
    EXPECT_FALSE(app.IsOpen());
    scene.sim.Advance(5000);
    EXPECT_EQ(scene.sim.shell().QueryCount(), 2u);
}

TEST(AppMenuReentry, TicksGoOnWhileABoxIsOpen) {
    AppScene scene;
    scene.Create();
    std::uint32_t queriesInBox = 0;
    scene.sim.ui().AnswerMessageBox([&](const auto&) {
        scene.sim.shell().AddToRecycleBin(u'C', 1);
        scene.sim.Advance(3000);
        queriesInBox = scene.sim.shell().QueryCount();
        return mb::kIdOk;
    });
    ASSERT_TRUE(scene.Choose({u"About"}));
    EXPECT_EQ(queriesInBox, 3u);
    EXPECT_EQ(scene.ShownIcon()->tip, u"Dustvale (1 items)");
}

}  // namespace
}  // namespace dustvale
