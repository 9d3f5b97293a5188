#include "app/TrayApplication.h"

#include <exception>
#include <optional>
#include <stdexcept>

#include "app/OptionsDialogOpener.h"
#include "app/SizeLine.h"
#include "app/TempCleanReport.h"
#include "app/WindowStartup.h"
#include "clean/RecentDocuments.h"
#include "common/ApplicationPaths.h"
#include "common/ApplicationTitle.h"
#include "common/FileExists.h"
#include "common/FlagScope.h"
#include "platform/DialogWindow.h"
#include "settings/SettingsFile.h"

namespace dustvale {

namespace {

constexpr std::uint32_t kMonitorTimerId = 1;
constexpr std::uint32_t kMonitorIntervalMs = 1000;
// Posted by the Recycle Bin worker each time it ends a request.
constexpr std::int32_t kRecycleBinDoneMessage = msg::kApp + 1;

// The hidden window is parked off-screen; the distance is in twips, as the dialogs are laid out.
constexpr std::int32_t kOffScreenTwips = -1000;

const Text kFullIconFile = u"\\full.ico";
const Text kEmptyIconFile = u"\\empty.ico";

// The two places CCleaner is looked for, in this order. Fixed strings: they do not follow
// the system's program-files folder.
const Text kCCleanerPaths[] = {
    u"C:\\Program Files\\CCleaner\\ccleaner.exe",
    u"C:\\Program Files (x86)\\CCleaner\\ccleaner.exe",
};

const Text kRecycleBinFolderArgument = u"/root,::{645FF040-5081-101B-9F08-00AA002F954E}";

const Text kRecentFilesDone = u"The Recent Files list has been cleaned.";
const Text kTempFilesQuestion =
    u"Please make sure that you dont have any programs running while you do this operation";
const Text kAboutTitle = u"About Dustvale";
const Text kAboutText =
    u"Dustvale\r\n"
    u"  Made by Quillmere (https://quillmere.example)\r\n"
    u"  Icons by Quillmere (https://quillmere.example/icons)\r\n"
    u"\r\n";

}  // namespace

TrayApplication::TrayApplication(Platform& platform, ProgramWindows& programWindows,
                                 NumberedFiles& files, WindowStartup& initialization,
                                 OptionsDialogOpener& options, RecycleBinAccess& recycleBin)
    : platform_(platform),
      programWindows_(programWindows),
      files_(files),
      initialization_(initialization),
      options_(options),
      fullPicture_(platform.ui, platform.files, BuiltInPicture::TrayFull),
      emptyPicture_(platform.ui, platform.files, BuiltInPicture::TrayEmpty),
      recycleBin_(recycleBin),
      cleaner_(platform) {
    InitializeCommonControls();

    // The window, the tray icon and the running monitor come into being here.
    window_ = UniqueWindow(platform_.windows,
                           platform_.windows.CreateWindow(WindowKind::HiddenOwner, 0, this));
    if (!window_) {
        return;  // without its window nothing can load: it never counts as open
    }
    trayWindow_ = UniqueWindow(platform_.windows, platform_.windows.CreateWindow(
                                                      WindowKind::Child, window_.get(), nullptr));
    TrayEvents& events = *this;
    trayIcon_ = std::make_unique<TrayIcon>(
        platform_, TrayHost{trayWindow_.get(), window_.get(), true}, events);
    try {
        trayIcon_->TakeInstanceNumber();
    } catch (const std::overflow_error&) {
        // An instance number too large for identifiers: the control keeps the identifiers it
        // has, and the program loads all the same.
    }
    RecycleBinMonitor::Listener& figuresListener = *this;
    monitor_ = std::make_unique<RecycleBinMonitor>(platform_, recycleBin_, window_.get(),
                                                   kRecycleBinDoneMessage, figuresListener);
    monitorTimer_ = std::make_unique<WindowTimer>(platform_.windows, window_.get(), kMonitorTimerId,
                                                  kMonitorIntervalMs);
    monitorTimer_->Start();

    open_ = true;
    programWindows_.Add(*this);
    Load();
}

TrayApplication::~TrayApplication() {
    if (open_) {
        open_ = false;
        programWindows_.Remove(*this);
    }
    // The control goes first: its termination takes the icon away and unhooks its window,
    // which must still exist then. The monitor's worker does not wait for a request under way.
    monitorTimer_.reset();
    monitor_.reset();
    trayIcon_.reset();
    trayWindow_.reset();
    window_.reset();
}

void TrayApplication::InitializeCommonControls() {
    initialization_.StartCommonControls();
    initialization_.InitUserExClasses();
}

void TrayApplication::Load() {
    const Text appFolder = ApplicationFolder(platform_.kernel);

    if (FileExists(appFolder + kFullIconFile)) fullPicture_.LoadFile(appFolder + kFullIconFile);
    if (FileExists(appFolder + kEmptyIconFile)) emptyPicture_.LoadFile(appFolder + kEmptyIconFile);

    const std::int32_t offScreen = TwipsToPixels(kOffScreenTwips, platform_.windows.ScreenDpi());
    platform_.windows.MoveWindow(window_.get(), Point{offScreen, offScreen});

    // The icon shows from here on, before the settings are known.
    trayIcon_->SetIcon(fullPicture_.picture());
    trayIcon_->SetTooltip(kApplicationTitle);
    trayIcon_->AddIcon();

    autoEmpty_.Set(LoadAutoClean(platform_, files_, appFolder));

    MenuNode& ccleaner = menu_.Item("ccleaner");
    ccleaner.visible = CCleanerPath().has_value();
}

void TrayApplication::OnMonitorTick() {
    if (!open_) return;
    monitor_->OnTick();
}

void TrayApplication::OnFigures(const RecycleBinFigures& figures) {
    menu_.Item("sizeLine").caption = FormatSizeLine(figures.bytes, figures.items);
    if (figures.items >= 1) {
        trayIcon_->SetIcon(fullPicture_.picture());
        trayIcon_->SetTooltip(FormatTooltip(figures.items));
    } else {
        trayIcon_->SetIcon(emptyPicture_.picture());
        trayIcon_->SetTooltip(kApplicationTitle);
    }
    AutoEmpty(figures.items);
}

void TrayApplication::AutoEmpty(std::uint64_t items) {
    const std::uint64_t now = platform_.kernel.TickCount();
    if (autoEmpty_.Value() != pacedSetting_) {
        autoEmptyPacing_.Reset();
        pacedSetting_ = autoEmpty_.Value();
    }
    autoEmptyPacing_.Counted(items, now);
    // An empty bin has nothing to remove, whatever the threshold. The display is not refreshed
    // after emptying: the next query shows the emptied bin.
    if (items >= 1 && autoEmpty_.Due(items) && autoEmptyPacing_.MayEmpty(now)) {
        autoEmptyPacing_.Emptying(items, now);
        monitor_->Empty();
    }
}

void TrayApplication::EmptyRecycleBin() {
    autoEmptyPacing_.Reset();
    monitor_->Empty();
}

void TrayApplication::Close() {
    if (!open_) return;
    open_ = false;
    monitorTimer_->Stop();
    // The icon goes with the window even when the process is about to end at once.
    if (trayIcon_->IsRegistered()) trayIcon_->RemoveIcon();
    programWindows_.Remove(*this);
}

void TrayApplication::OnMouseUp(std::int16_t /*button*/) {
    // Every button opens the menu; one menu at a time.
    if (!open_ || menuOpen_) return;
    std::uint32_t chosen = 0;
    {
        FlagScope open(menuOpen_);
        chosen = platform_.ui.TrackPopupMenu(menu_.PopupItems(), platform_.windows.GetCursorPos(),
                                             window_.get());
    }
    // The window may have been closed while the menu was open.
    if (!open_) return;
    RunCommand(static_cast<MenuCommand>(chosen));
}

void TrayApplication::RunCommand(MenuCommand command) {
    switch (command) {
        case MenuCommand::None:
        case MenuCommand::SizeLine:
            return;
        case MenuCommand::EmptyBin:
            return EmptyRecycleBin();
        case MenuCommand::OpenBin:
            return OpenRecycleBin();
        case MenuCommand::RecentFiles:
            return CleanRecentFiles();
        case MenuCommand::TempFiles:
            return CleanTempFiles();
        case MenuCommand::CCleaner:
            return StartCCleaner();
        case MenuCommand::Options:
            return options_.ShowOptions(autoEmpty_);
        case MenuCommand::About:
            return ShowAbout();
        case MenuCommand::Exit:
            return Exit();
    }
}

void TrayApplication::OpenRecycleBin() {
    platform_.shell.ShellExecute(0, u"Open", u"explorer.exe", kRecycleBinFolderArgument,
                                 std::nullopt, kShowNormal);
}

void TrayApplication::CleanRecentFiles() {
    ClearRecentDocuments(platform_.shell);
    ShowMessageBox(kRecentFilesDone, mb::kOk | mb::kIconInformation, kApplicationTitle);
}

void TrayApplication::CleanTempFiles() {
    // One clean at a time: a clean that is running lets menu commands through.
    if (cleaner_.Running()) return;
    if (ShowMessageBox(kTempFilesQuestion, mb::kOkCancel, kApplicationTitle) != mb::kIdOk) return;
    if (!open_) return;
    const TempCleanResult result = cleaner_.CleanTempFolders();
    // Exit during the clean: the window is closed, no box follows.
    if (!open_) return;
    ShowMessageBox(TempCleanReport(result), mb::kOk | mb::kIconInformation, kApplicationTitle);
}

void TrayApplication::StartCCleaner() {
    if (const auto path = CCleanerPath()) platform_.shell.RunProgram(*path, kShowNormal);
}

void TrayApplication::ShowAbout() {
    ShowMessageBox(kAboutText, mb::kOk | mb::kIconInformation, kAboutTitle);
}

void TrayApplication::Exit() {
    trayIcon_->RemoveIcon();
    Close();
}

LResult TrayApplication::HandleMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                                       LParam lParam) noexcept {
    // Nothing may leave a window procedure: a failed tick is skipped, the next one comes.
    try {
        if (message == msg::kTimer && wParam == kMonitorTimerId) {
            OnMonitorTick();
            return 0;
        }
        if (message == kRecycleBinDoneMessage) {
            // Once the window is closed, what the worker still finishes is dropped.
            if (open_) monitor_->OnRequestsDone();
            return 0;
        }
        if (message == msg::kClose) {
            // Asked to close from outside (the user never sees the window): it closes as the
            // program's windows do, rather than losing its window under the tray icon.
            Close();
            return 0;
        }
        return platform_.windows.DefWindowProc(hwnd, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

bool TrayApplication::FileExists(const Text& path) {
    return dustvale::FileExists(platform_.files, path);
}

std::optional<Text> TrayApplication::CCleanerPath() {
    for (const Text& path : kCCleanerPaths) {
        if (FileExists(path)) return path;
    }
    return std::nullopt;
}

std::int32_t TrayApplication::ShowMessageBox(const Text& text, std::uint32_t style,
                                             const Text& title) {
    return platform_.ui.MessageBox(window_.get(), text, title, style);
}

}  // namespace dustvale
