#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Application.h"
#include "AppTestScene.h"
#include "platform/sim/SimDialogs.h"

namespace dustvale {
namespace {

using apptest::AppScene;
using sim::SimUserInterface;

// The file system as the form sees it, with a look at the tray whenever a file is opened.
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

private:
    FileSystem& inner_;
    std::function<void(const Text&)> onOpen_;
};

Platform WithFiles(const Platform& base, FileSystem& files) {
    return Platform{base.shell, base.windows,  files,
                    base.kernel, base.ui,      base.registry,
                    base.commonControls, base.dialogs};
}

TEST(AppForm1, CreationStartsTheCommonControlsBeforeAnythingElse) {
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
    EXPECT_TRUE(scene.form->Loaded());
}

TEST(AppForm1, TheIconIsInTheTrayBeforeTheSettingsFileIsRead) {
    AppScene scene;
    scene.sim.files().AddFile(apptest::kSettingsFile, "15\r\n");
    std::optional<std::size_t> iconsWhenRead;
    WatchingFiles files(scene.sim.files(), [&](const Text& path) {
        if (path == apptest::kSettingsFile) iconsWhenRead = scene.sim.shell().Icons().size();
    });
    Platform platform = WithFiles(scene.platform, files);
    FileTable table{platform.files};
    Form1 form(platform, scene.forms, table, scene.initialization, scene.options);
    ASSERT_TRUE(iconsWhenRead.has_value());
    EXPECT_EQ(*iconsWhenRead, 1u);
    EXPECT_EQ(form.AutoClean(), u"15");
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

TEST(AppForm1, IconFilesBesideTheExecutableReplaceTheBuiltInPictures) {
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
        Form1& form = scene.Create();

        // Equal bytes give one handle: a probe file tells the handle of a loaded picture.
        auto handleOf = [&](IcoFile kind, char tag, HIcon builtIn) -> HIcon {
            if (kind != IcoFile::Valid) return builtIn;
            scene.sim.files().AddFile(u"C:\\probe.ico", apptest::IcoBytes(tag));
            const HIcon handle = scene.sim.ui().LoadPictureFile(u"C:\\probe.ico")->Handle();
            scene.sim.files().DeleteFile(u"C:\\probe.ico");
            return handle;
        };
        const HIcon full = handleOf(c.full, 'F', SimUserInterface::kTrayFullHandle);
        const HIcon empty = handleOf(c.empty, 'E', SimUserInterface::kTrayEmptyHandle);
        SCOPED_TRACE(testing::Message()
                     << static_cast<int>(c.full) << "/" << static_cast<int>(c.empty));
        EXPECT_EQ(form.Image1().picture().Handle(), full);
        EXPECT_EQ(form.Image2().picture().Handle(), empty);
        // The tray starts with the full picture, whatever the bin holds.
        ASSERT_TRUE(scene.ShownIcon().has_value());
        EXPECT_EQ(scene.ShownIcon()->icon, full);
        // And shows the empty one once the first tick has seen the empty bin.
        scene.sim.Advance(1000);
        EXPECT_EQ(scene.ShownIcon()->icon, empty);
    }
}

TEST(AppForm1, CCleanerItemShowsWhenEitherFixedPathHoldsTheProgram) {
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
        Form1& form = scene.Create();
        SCOPED_TRACE(testing::Message() << c.programFiles << c.programFilesX86 << c.hidden);
        EXPECT_EQ(form.Menu().Item("mnuCCleaner").visible, c.visible);
        EXPECT_FALSE(form.Menu().Item("mnuRFiles").visible);
    }
}

TEST(AppForm1, CCleanerInOtherProgramFilesFoldersIsNotLookedFor) {
    AppScene scene;
    scene.sim.files().AddDrive(u'D');
    scene.sim.files().AddFile(u"D:\\Program Files\\CCleaner\\ccleaner.exe", "MZ");
    scene.sim.files().AddFile(u"C:\\Programs\\CCleaner\\ccleaner.exe", "MZ");
    EXPECT_FALSE(scene.Create().Menu().Item("mnuCCleaner").visible);
}

TEST(AppForm1, UntilTheFirstTickTheTooltipIsTheTitleAndTheMenuLineIsZero) {
    AppScene scene;
    scene.sim.shell().AddToRecycleBin(u'C', 5000);
    Form1& form = scene.Create();
    scene.sim.Advance(999);
    EXPECT_EQ(scene.sim.shell().QueryCount(), 0u);
    ASSERT_TRUE(scene.ShownIcon().has_value());
    EXPECT_EQ(scene.ShownIcon()->tip, u"Dustvale");
    EXPECT_EQ(form.Menu().Item("mnuTK").caption, u"0");

    scene.Release();
    ASSERT_EQ(scene.sim.ui().Menus().size(), 1u);
    EXPECT_EQ(scene.sim.ui().Menus()[0].items.at(0).caption, u"0");

    scene.sim.Advance(1);
    EXPECT_EQ(scene.ShownIcon()->tip, u"Dustvale (1 items)");
    EXPECT_EQ(form.Menu().Item("mnuTK").caption, u"5000 bytes. (1 items)");
}

TEST(AppForm1, TheFormsWindowIsParkedOffScreenAtTheScreensScale) {
    const struct {
        std::int32_t dpi, pixels;
    } cases[] = {{96, -67}, {120, -83}, {144, -100}, {192, -133}};
    for (const auto& c : cases) {
        AppScene scene;
        scene.sim.windows().SetScreenDpi(c.dpi);
        Form1& form = scene.Create();
        EXPECT_EQ(scene.sim.windows().PositionOf(form.hWnd()), (Point{c.pixels, c.pixels}))
            << c.dpi;
    }
}

TEST(AppForm1, TheWindowsAreNeverSeenAndTheTrayWindowBelongsToTheForm) {
    AppScene scene;
    Form1& form = scene.Create();
    auto& windows = scene.sim.windows();
    EXPECT_EQ(windows.KindOf(form.hWnd()), WindowKind::HiddenOwner);
    EXPECT_EQ(windows.KindOf(scene.TrayWindow()), WindowKind::Child);
    EXPECT_FALSE(windows.IsVisible(form.hWnd()));
    EXPECT_FALSE(windows.IsVisible(scene.TrayWindow()));
    EXPECT_NE(scene.TrayWindow(), form.hWnd());
}

TEST(AppForm1, Timer1TicksOnTheFormsWindowEverySecond) {
    AppScene scene;
    Form1& form = scene.Create();
    EXPECT_TRUE(scene.sim.windows().TimerRunning(form.hWnd(), 1));
    scene.sim.Advance(1000);
    EXPECT_EQ(scene.sim.shell().QueryCount(), 1u);
    scene.sim.Advance(2500);
    EXPECT_EQ(scene.sim.shell().QueryCount(), 3u);
}

TEST(AppForm1, ClosingTheWindowFromOutsideUnloadsTheForm) {
    AppScene scene;
    Form1& form = scene.Create();
    EXPECT_EQ(scene.sim.windows().SendMessage(form.hWnd(), msg::kClose, 0, 0), 0);
    EXPECT_FALSE(form.Loaded());
    EXPECT_TRUE(scene.sim.windows().Exists(form.hWnd()));  // not lost under the tray icon
    EXPECT_TRUE(scene.sim.shell().Icons().empty());
    EXPECT_TRUE(scene.sim.windows().QuitPosted());
}

TEST(AppForm1, DestroyingTheFormLeavesNothingBehind) {
    AppScene scene;
    scene.sim.files().AddFile(apptest::kFullIco, apptest::IcoBytes('F'));
    Form1& form = scene.Create();
    const Hwnd window = form.hWnd();
    const Hwnd trayWindow = scene.TrayWindow();
    scene.sim.Advance(1000);
    scene.form.reset();
    EXPECT_TRUE(scene.sim.shell().Icons().empty());
    EXPECT_TRUE(scene.sim.windows().Timers().empty());
    EXPECT_FALSE(scene.sim.windows().Exists(window));
    EXPECT_FALSE(scene.sim.windows().Exists(trayWindow));
    EXPECT_EQ(scene.sim.ui().LivePictures(), 0u);
    EXPECT_EQ(scene.sim.files().OpenFiles(), 0u);
    EXPECT_EQ(scene.sim.files().OpenSearches(), 0u);
}

TEST(AppLoadedForms, TheLastFormToUnloadEndsTheMessageLoop) {
    sim::SimWindows sim;
    LoadedForms forms(sim.windows());
    apptest::OtherForm first, second;
    forms.Register(first);
    forms.Register(second);
    forms.Register(first);  // counted once
    EXPECT_EQ(forms.Count(), 2u);
    forms.Unregister(first);
    EXPECT_FALSE(sim.windows().QuitPosted());
    forms.Unregister(first);  // no longer loaded: nothing
    EXPECT_FALSE(sim.windows().QuitPosted());
    EXPECT_EQ(forms.Forms(), (std::vector<LoadedForm*>{&second}));
    forms.Unregister(second);
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
    EXPECT_EQ(sim.shell().QueryCount(), 2u);  // the monitor stopped with the main form
    EXPECT_TRUE(sim.dialogs().Open().empty());
}

}  // namespace
}  // namespace dustvale
