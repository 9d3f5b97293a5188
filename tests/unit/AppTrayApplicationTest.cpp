#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/Application.h"
#include "app/OptionsDialog.h"
#include "AppTestScene.h"
#include "platform/sim/SimDialogs.h"

namespace dustvale {
namespace {

using apptest::AppScene;
using sim::SimUserInterface;

// The file system as the program sees it, with a look at the tray whenever a file is opened.
class WatchingFiles final : public FileSystem {
public:
    WatchingFiles(FileSystem& inner, std::function<void(const Text&)> onOpen)
        : inner_(inner), onOpen_(std::move(onOpen)) {}
    std::unique_ptr<FileSearch> FindFirstFile(const Text& pattern, FindData& first) override {
        return inner_.FindFirstFile(pattern, first);
    }
    std::optional<std::uint32_t> GetFileAttributes(const Text& path) override {
        return inner_.GetFileAttributes(path);
    }
    bool SetFileAttributes(const Text& path, std::uint32_t attributes) override {
        return inner_.SetFileAttributes(path, attributes);
    }
    bool PathFileExists(const Text& path) override { return inner_.PathFileExists(path); }
    bool DeleteFile(const Text& path) override { return inner_.DeleteFile(path); }
    bool RemoveDirectory(const Text& path) override { return inner_.RemoveDirectory(path); }
    std::unique_ptr<EntryHandle> OpenEntry(const Text& path, std::uint32_t rights,
                                           LinkAtEnd link) override {
        return inner_.OpenEntry(path, rights, link);
    }
    std::unique_ptr<OpenFile> Open(const Text& path, FileMode mode) override {
        onOpen_(path);
        return inner_.Open(path, mode);
    }
    std::vector<Text> FixedDriveRoots() override { return inner_.FixedDriveRoots(); }

private:
    FileSystem& inner_;
    std::function<void(const Text&)> onOpen_;
};

Platform WithFiles(const Platform& base, FileSystem& files) {
    return Platform{base.shell, base.windows,  files,
                    base.kernel, base.ui,      base.registry,
                    base.commonControls, base.dialogs};
}

TEST(AppTrayApplication, CreationStartsTheCommonControlsBeforeAnythingElse) {
    AppScene scene;
    bool sawTrayOrTimer = true;
    scene.initialization.onStart = [&] {
        sawTrayOrTimer = !scene.sim.shell().NotifyCalls().empty() ||
                         !scene.sim.windows().Timers().empty();
    };
    scene.Create();
    EXPECT_FALSE(sawTrayOrTimer);
    EXPECT_EQ(scene.initialization.calls,
              (std::vector<std::string>{"StartCommonControls", "InitUserExClasses"}));
    EXPECT_TRUE(scene.app->IsOpen());
}

TEST(AppTrayApplication, TheIconIsInTheTrayBeforeTheSettingsFileIsRead) {
    AppScene scene;
    scene.sim.files().AddFile(apptest::kSettingsFile, "15\r\n");
    std::optional<std::size_t> iconsWhenRead;
    WatchingFiles files(scene.sim.files(), [&](const Text& path) {
        if (path == apptest::kSettingsFile) iconsWhenRead = scene.sim.shell().Icons().size();
    });
    Platform platform = WithFiles(scene.platform, files);
    NumberedFiles table{platform.files};
    ShellRecycleBin bin(platform);
    TrayApplication app(platform, scene.programWindows, table, scene.initialization, scene.options,
                        bin);
    ASSERT_TRUE(iconsWhenRead.has_value());
    EXPECT_EQ(*iconsWhenRead, 1u);
    EXPECT_EQ(app.AutoClean(), u"15");
}

enum class IcoFile { Absent, Valid, Hidden, Undecodable, Folder };

void Place(sim::SimFileSystem& files, const Text& path, IcoFile kind, char tag) {
    switch (kind) {
        case IcoFile::Absent: break;
        case IcoFile::Valid: files.AddFile(path, apptest::IcoBytes(tag)); break;
        case IcoFile::Hidden:
            files.AddFile(path, apptest::IcoBytes(tag), attr::kArchive | attr::kHidden);
            break;
        case IcoFile::Undecodable: files.AddFile(path, "not an icon"); break;
        case IcoFile::Folder: files.AddFolder(path); break;
    }
}

TEST(AppTrayApplication, IconFilesBesideTheExecutableReplaceTheBuiltInPictures) {
    const struct {
        IcoFile full, empty;
    } cases[] = {
        {IcoFile::Absent, IcoFile::Absent},      {IcoFile::Absent, IcoFile::Valid},
        {IcoFile::Valid, IcoFile::Absent},       {IcoFile::Valid, IcoFile::Valid},
        {IcoFile::Hidden, IcoFile::Valid},       {IcoFile::Valid, IcoFile::Hidden},
        {IcoFile::Undecodable, IcoFile::Valid},  {IcoFile::Folder, IcoFile::Undecodable},
    };
    for (const auto& c : cases) {
        AppScene scene;
        Place(scene.sim.files(), apptest::kFullIco, c.full, 'F');
        Place(scene.sim.files(), apptest::kEmptyIco, c.empty, 'E');
        TrayApplication& app = scene.Create();

        // Equal bytes give one handle: a probe file tells the handle of a loaded picture.
        auto handleOf = [&](IcoFile kind, char tag, HIcon builtIn) -> HIcon {
            if (kind != IcoFile::Valid) return builtIn;
            scene.sim.files().AddFile(u"C:\\probe.ico", apptest::IcoBytes(tag));
            PictureHolder probe(scene.sim.ui(), scene.sim.files(), BuiltInPicture::Program, 16);
            EXPECT_TRUE(probe.LoadFile(u"C:\\probe.ico"));
            scene.sim.files().DeleteFile(u"C:\\probe.ico");
            return probe.picture().Handle();
        };
        const HIcon full = handleOf(c.full, 'F', SimUserInterface::kTrayFullHandle);
        const HIcon empty = handleOf(c.empty, 'E', SimUserInterface::kTrayEmptyHandle);
        SCOPED_TRACE(testing::Message()
                     << static_cast<int>(c.full) << "/" << static_cast<int>(c.empty));
        EXPECT_EQ(app.FullPicture().picture().Handle(), full);
        EXPECT_EQ(app.EmptyPicture().picture().Handle(), empty);
        // The tray starts with the full picture, whatever the bin holds.
        ASSERT_TRUE(scene.ShownIcon().has_value());
        EXPECT_EQ(scene.ShownIcon()->icon, full);
        // And shows the empty one once the first tick has seen the empty bin.
        scene.sim.Advance(1000);
        EXPECT_EQ(scene.ShownIcon()->icon, empty);
    }
}

TEST(AppTrayApplication, CCleanerItemShowsWhenEitherFixedPathHoldsTheProgram) {
    const struct {
        bool programFiles, programFilesX86, hidden;
        bool visible;
    } cases[] = {
        {false, false, false, false},
        {true, false, false, true},
        {false, true, false, true},
        {true, true, false, true},
        {true, false, true, false},  // a hidden file is not seen
        {false, true, true, false},
    };
    for (const auto& c : cases) {
        AppScene scene;
        const std::uint32_t attributes = attr::kArchive | (c.hidden ? attr::kHidden : 0);
        if (c.programFiles) scene.sim.files().AddFile(apptest::kCCleaner, "MZ", attributes);
        if (c.programFilesX86) scene.sim.files().AddFile(apptest::kCCleanerX86, "MZ", attributes);
        TrayApplication& app = scene.Create();
        SCOPED_TRACE(testing::Message() << c.programFiles << c.programFilesX86 << c.hidden);
        EXPECT_EQ(app.Menu().Item("ccleaner").visible, c.visible);
        EXPECT_FALSE(app.Menu().Item("recentFiles").visible);
    }
}

TEST(AppTrayApplication, CCleanerInOtherProgramFilesFoldersIsNotLookedFor) {
    AppScene scene;
    scene.sim.files().AddDrive(u'D');
    scene.sim.files().AddFile(u"D:\\Program Files\\CCleaner\\ccleaner.exe", "MZ");
    scene.sim.files().AddFile(u"C:\\Programs\\CCleaner\\ccleaner.exe", "MZ");
    EXPECT_FALSE(scene.Create().Menu().Item("ccleaner").visible);
}

TEST(AppTrayApplication, UntilTheFirstTickTheTooltipIsTheTitleAndTheMenuLineIsZero) {
    AppScene scene;
    scene.sim.shell().AddToRecycleBin(u'C', 5000);
    TrayApplication& app = scene.Create();
    scene.sim.Advance(999);
    EXPECT_EQ(scene.sim.shell().QueryCount(), 0u);
    ASSERT_TRUE(scene.ShownIcon().has_value());
    EXPECT_EQ(scene.ShownIcon()->tip, u"Dustvale");
    EXPECT_EQ(app.Menu().Item("sizeLine").caption, u"0");

    scene.Release();
    ASSERT_EQ(scene.sim.ui().Menus().size(), 1u);
    EXPECT_EQ(scene.sim.ui().Menus()[0].items.at(0).caption, u"0");

    scene.sim.Advance(1);
    EXPECT_EQ(scene.ShownIcon()->tip, u"Dustvale (1 items)");
    EXPECT_EQ(app.Menu().Item("sizeLine").caption, u"5000 bytes. (1 items)");
}

TEST(AppTrayApplication, TheMainWindowIsParkedOffScreenAtTheScreensScale) {
    const struct {
        std::int32_t dpi, pixels;
    } cases[] = {{96, -67}, {120, -83}, {144, -100}, {192, -133}};
    for (const auto& c : cases) {
        AppScene scene;
        scene.sim.windows().SetScreenDpi(c.dpi);
        TrayApplication& app = scene.Create();
        EXPECT_EQ(scene.sim.windows().PositionOf(app.Window()), (Point{c.pixels, c.pixels}))
            << c.dpi;
    }
}

TEST(AppTrayApplication, TheWindowsAreNeverSeenAndTheTrayWindowBelongsToTheMainWindow) {
    AppScene scene;
    TrayApplication& app = scene.Create();
    auto& windows = scene.sim.windows();
    EXPECT_EQ(windows.KindOf(app.Window()), WindowKind::HiddenOwner);
    EXPECT_EQ(windows.KindOf(scene.TrayWindow()), WindowKind::Child);
    EXPECT_FALSE(windows.IsVisible(app.Window()));
    EXPECT_FALSE(windows.IsVisible(scene.TrayWindow()));
    EXPECT_NE(scene.TrayWindow(), app.Window());
}

TEST(AppTrayApplication, TheMonitorTicksOnTheMainWindowEverySecond) {
    AppScene scene;
    TrayApplication& app = scene.Create();
    EXPECT_TRUE(scene.sim.windows().TimerRunning(app.Window(), 1));
    scene.sim.Advance(1000);
    EXPECT_EQ(scene.sim.shell().QueryCount(), 1u);
    scene.sim.Advance(2500);
    EXPECT_EQ(scene.sim.shell().QueryCount(), 3u);
}

TEST(AppTrayApplication, ClosingTheWindowFromOutsideClosesTheApplication) {
    AppScene scene;
    TrayApplication& app = scene.Create();
    EXPECT_EQ(scene.sim.windows().SendMessage(app.Window(), msg::kClose, 0, 0), 0);
    EXPECT_FALSE(app.IsOpen());
    EXPECT_TRUE(scene.sim.windows().Exists(app.Window()));  // not lost under the tray icon
    EXPECT_TRUE(scene.sim.shell().Icons().empty());
    EXPECT_TRUE(scene.sim.windows().QuitPosted());
}

TEST(AppTrayApplication, DestroyingTheApplicationLeavesNothingBehind) {
    AppScene scene;
    scene.sim.files().AddFile(apptest::kFullIco, apptest::IcoBytes('F'));
    TrayApplication& app = scene.Create();
    const Hwnd window = app.Window();
    const Hwnd trayWindow = scene.TrayWindow();
    scene.sim.Advance(1000);
    scene.app.reset();
    EXPECT_TRUE(scene.sim.shell().Icons().empty());
    EXPECT_TRUE(scene.sim.windows().Timers().empty());
    EXPECT_FALSE(scene.sim.windows().Exists(window));
    EXPECT_FALSE(scene.sim.windows().Exists(trayWindow));
    EXPECT_EQ(scene.sim.ui().LivePictures(), 0u);
    EXPECT_EQ(scene.sim.files().OpenFiles(), 0u);
    EXPECT_EQ(scene.sim.files().OpenSearches(), 0u);
}

TEST(AppProgramWindows, TheLastWindowToCloseEndsTheMessageLoop) {
    sim::SimWindows sim;
    ProgramWindows programWindows(sim.windows());
    apptest::OtherWindow first, second;
    programWindows.Add(first);
    programWindows.Add(second);
    programWindows.Add(first);  // counted once
    EXPECT_EQ(programWindows.Count(), 2u);
    programWindows.Remove(first);
    EXPECT_FALSE(sim.windows().QuitPosted());
    programWindows.Remove(first);  // no longer open: nothing
    EXPECT_FALSE(sim.windows().QuitPosted());
    EXPECT_EQ(programWindows.All(), (std::vector<ProgramWindow*>{&second}));
    programWindows.Remove(second);
    EXPECT_TRUE(sim.windows().QuitPosted());
}

TEST(AppApplication, RunsUntilExitIsChosenThenTheIconIsGone) {
    sim::SimWindows sim;
    Platform platform = sim.platform();
    sim.shell().AddToRecycleBin(u'C', 100);
    // Not the first start: the visual-styles manifest is already beside the executable.
    sim.files().AddFile(u"C:\\Program Files\\Dustvale\\Dustvale.exe.manifest", "x", attr::kHidden);
    sim.windows().At(3500, [&] {
        sim.ui().AnswerMenu([](const SimUserInterface::MenuCall& call) {
            return sim::FindCommand(call.items, {u"Exit"});
        });
        const auto icon = sim.shell().Icons().at(0);
        sim.shell().SendCallback(icon.hwnd, icon.id, msg::kRButtonUp);
    });
    EXPECT_EQ(RunApplication(platform), 0);
    EXPECT_EQ(sim.clock().Now(), 3500u);
    EXPECT_EQ(sim.shell().QueryCount(), 3u);
    EXPECT_TRUE(sim.shell().Icons().empty());
    EXPECT_TRUE(sim.windows().Timers().empty());
    EXPECT_EQ(sim.ui().LivePictures(), 0u);
}

TEST(AppApplication, AnOptionsDialogLeftOpenAfterExitKeepsTheProgramUntilItCloses) {
    sim::SimWindows sim;
    Platform platform = sim.platform();
    sim.files().AddFile(u"C:\\Program Files\\Dustvale\\Dustvale.exe.manifest", "x",
                        attr::kHidden);
    auto choose = [&sim](Text caption) {
        sim.ui().AnswerMenu([caption](const SimUserInterface::MenuCall& call) {
            return sim::FindCommand(call.items, {caption});
        });
        const auto icon = sim.shell().Icons().at(0);
        sim.shell().SendCallback(icon.hwnd, icon.id, msg::kLButtonUp);
    };
    bool iconGoneWhileDialogOpen = false;
    sim.windows().At(1500, [&] { choose(u"Options"); });
    sim.windows().At(2500, [&] { choose(u"Exit"); });
    sim.windows().At(6000, [&] {
        iconGoneWhileDialogOpen = sim.shell().Icons().empty() && sim.dialogs().Open().size() == 1;
        sim.dialogs().Open().at(0)->CloseBox();
    });
    EXPECT_EQ(RunApplication(platform), 0);
    EXPECT_TRUE(iconGoneWhileDialogOpen);
    EXPECT_EQ(sim.clock().Now(), 6000u);
    EXPECT_EQ(sim.shell().QueryCount(), 2u);  // the monitor stopped with the main window
    EXPECT_TRUE(sim.dialogs().Open().empty());
}

// What the user does in the Options dialog, and when.
using DialogSteps = std::vector<std::pair<std::uint64_t, std::function<void(sim::SimDialog&)>>>;

// The whole program with `items` files in C:'s bin: the user opens Options at 1.5 s, takes the
// `steps` in the dialog, and chooses Exit at 9 s. The emptyings asked for meanwhile.
std::size_t EmptyingsWhileTheUser(int items, const DialogSteps& steps) {
    sim::SimWindows sim;
    Platform platform = sim.platform();
    sim.files().AddFile(u"C:\\Program Files\\Dustvale\\Dustvale.exe.manifest", "x",
                        attr::kHidden);
    for (int i = 0; i < items; ++i) sim.shell().AddToRecycleBin(u'C', 10);
    auto choose = [&sim](Text caption) {
        sim.ui().AnswerMenu([caption](const SimUserInterface::MenuCall& call) {
            return sim::FindCommand(call.items, {caption});
        });
        const auto icon = sim.shell().Icons().at(0);
        sim.shell().SendCallback(icon.hwnd, icon.id, msg::kLButtonUp);
    };
    sim.windows().At(1500, [&] { choose(u"Options"); });
    for (const auto& [at, step] : steps) {
        sim.windows().At(at, [&sim, &step] { step(*sim.dialogs().Open().at(0)); });
    }
    sim.windows().At(9000, [&] { choose(u"Exit"); });
    EXPECT_EQ(RunApplication(platform), 0);
    return sim.shell().EmptyCalls().size();
}

void TickAutoEmpty(sim::SimDialog& dialog) { dialog.Click(OptionsDialog::AutoEmptyBox); }
void PressClose(sim::SimDialog& dialog) { dialog.Click(OptionsDialog::CloseButton); }

TEST(AppApplication, TickingAutoEmptyWithAFullBinEmptiesNothingBeforeTheUserChoseAThreshold) {
    // The tick stores the default 15 at once; the user takes three seconds to type 500.
    const DialogSteps typed{
        {2000, TickAutoEmpty},
        {5000, [](sim::SimDialog& d) { d.Type(OptionsDialog::ThresholdBox, u"500"); }},
        {5500, PressClose},
    };
    EXPECT_EQ(EmptyingsWhileTheUser(20, typed), 0u);
    // The default, chosen with Close, empties at the next tick, as the user asked.
    EXPECT_EQ(EmptyingsWhileTheUser(20, {{2000, TickAutoEmpty}, {5000, PressClose}}), 1u);
}

TEST(AppApplication, APastedThresholdThatIsNotANumberEmptiesNothing) {
    for (const Text pasted : {u"1,000", u"1.000", u"2,500", u"0x10", u"-0", u"-1"}) {
        const DialogSteps steps{
            {2000, TickAutoEmpty},
            {2500, [&pasted](sim::SimDialog& d) { d.Paste(OptionsDialog::ThresholdBox, pasted); }},
            {3000, PressClose},
        };
        EXPECT_EQ(EmptyingsWhileTheUser(5, steps), 0u);
    }
}

}  // namespace
}  // namespace dustvale
