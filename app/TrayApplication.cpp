#include "app/TrayApplication.h"

#include <exception>
#include <optional>
#include <stdexcept>
#include <utility>

#include "app/OptionsDialogOpener.h"
#include "app/SingleInstance.h"
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
#include "tray/TrayPictureSize.h"

namespace dustvale {

namespace {

constexpr std::uint32_t kMonitorTimerId = 1;
constexpr std::uint32_t kMonitorIntervalMs = 1000;
// Posted by the Recycle Bin worker each time it ends a request.
constexpr std::int32_t kRecycleBinDoneMessage = msg::kApp + 1;
// Posted to itself when another start asked for the balloon, which is shown once that start
// has its answer.
constexpr std::int32_t kShowAlreadyRunningMessage = msg::kApp + 2;

// The hidden window is parked off-screen; the distance is in twips, as the dialogs are laid out.
constexpr std::int32_t kOffScreenTwips = -1000;

// The balloon that tells of an automatic removal: information, 10 seconds.
constexpr std::int32_t kBalloonInformation = 1;
constexpr std::int32_t kRemovalBalloonMs = 10'000;

const Text kFullIconFile = u"\\full.ico";
const Text kEmptyIconFile = u"\\empty.ico";

// The two places CCleaner is looked for, in this order. Fixed strings: they do not follow
// the system's program-files folder.
const Text kCCleanerPaths[] = {
    u"C:\\Program Files\\CCleaner\\ccleaner.exe",
    u"C:\\Program Files (x86)\\CCleaner\\ccleaner.exe",
};

const Text kRecycleBinFolderArgument = u"/root,::{645FF040-5081-101B-9F08-00AA002F954E}";

const Text kAlreadyRunningText = u"Dustvale is already running.";
constexpr std::int32_t kInformationBalloon = 1;  // NIIF_INFO
constexpr std::int32_t kAlreadyRunningBalloonMs = 10000;

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
      fullPicture_(platform.ui, platform.files, BuiltInPicture::TrayFull,
                   TrayPictureSize(platform.windows)),
      emptyPicture_(platform.ui, platform.files, BuiltInPicture::TrayEmpty,
                    TrayPictureSize(platform.windows)),
      recycleBin_(recycleBin),
      cleaner_(platform) {
    InitializeCommonControls();

    // The window, the tray icon and the running monitor come into being here.
    window_ = UniqueWindow(platform_.windows,
                           platform_.windows.CreateWindow(WindowKind::HiddenOwner, 0, this));
    if (!window_) {
        return;  // without its window nothing can load: it never counts as open
    }
    // Another start of the program finds this window and asks it for the balloon, also when
    // this one runs elevated and it does not.
    alreadyRunningMessage_ = RegisterAlreadyRunningMessage(platform_);
    if (alreadyRunningMessage_ != 0) {
        platform_.windows.AllowMessageFromLowerIntegrity(window_.get(), alreadyRunningMessage_);
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
    automaticRemoval_ = std::make_unique<AutomaticRemoval>(platform_.kernel, *monitor_,
                                                           removalSettings_);
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
    ShowPicture(fullPicture_);
    trayIcon_->SetTooltip(kApplicationTitle);
    trayIcon_->AddIcon();

    autoEmpty_.Set(LoadAutoClean(platform_, files_, appFolder));
    removalSettings_.Set(RemovalSettingsFile::Load(platform_, files_, appFolder).Settings());

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
        ShowPicture(fullPicture_);
        trayIcon_->SetTooltip(FormatTooltip(figures.items));
    } else {
        ShowPicture(emptyPicture_);
        trayIcon_->SetTooltip(kApplicationTitle);
    }
    lastFigures_ = figures;
    if (!AutoEmpty(figures.items)) automaticRemoval_->OnFigures(figures);
}

void TrayApplication::ShowPicture(const PictureHolder& holder) {
    shownPicture_ = &holder;
    trayIcon_->SetIcon(holder.picture());
}

void TrayApplication::RefreshTrayPictures() {
    if (!open_) return;
    const std::int32_t size = TrayPictureSize(platform_.windows);
    if (size == fullPicture_.Size() && size == emptyPicture_.Size()) return;
    fullPicture_.Resize(size);
    emptyPicture_.Resize(size);
    // The icon takes the new handle at once; the old picture went with the resizing.
    ShowPicture(*shownPicture_);
}

void TrayApplication::OnRemoved(RecycleBinTask task, std::uint64_t removed) {
    if (const std::optional<Text> report = automaticRemoval_->Report(task, removed)) {
        trayIcon_->ShowBalloon(kApplicationTitle, *report, kBalloonInformation,
                               kRemovalBalloonMs);
    }
}

bool TrayApplication::AutoEmpty(std::uint64_t items) {
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
        return true;
    }
    return false;
}

void TrayApplication::EmptyOnRequest() {
    if (removalSettings_.Value().askBeforeEmptying) {
        const Text question = u"Permanently delete these " + FormatCount(lastFigures_.items) +
                              u" items (" + FormatSize(lastFigures_.bytes) + u")?";
        const std::int32_t answer = ShowMessageBox(
            question, mb::kYesNo | mb::kIconWarning | mb::kDefaultButton2, kApplicationTitle);
        // Exit while the question was open: nothing more is done.
        if (answer != mb::kIdYes || !open_) return;
    }
    EmptyRecycleBin();
}

void TrayApplication::EmptyRecycleBin() {
    autoEmptyPacing_.Reset();
    monitor_->Empty();
}

void TrayApplication::Close() {
    if (!open_) return;
    open_ = false;
    monitorTimer_->Stop();
    // A Temp Files clean under way stops at its next yield: nothing more is deleted once the
    // icon is gone, and the process may end at once.
    cleaner_.Stop();
    // The icon goes with the window even when the process is about to end at once.
    if (trayIcon_->IsRegistered()) trayIcon_->RemoveIcon();
    if (whenClosed_) std::exchange(whenClosed_, nullptr)();
    programWindows_.Remove(*this);
}

void TrayApplication::OnMouseUp(std::int16_t /*button*/) {
    // Every button opens the menu.
    OpenMenu(platform_.windows.GetCursorPos(), false);
}

void TrayApplication::OnKeySelect(Point anchor) { OpenMenu(anchor, true); }

void TrayApplication::OnContextMenu(Point anchor) { OpenMenu(anchor, true); }

void TrayApplication::OpenMenu(Point position, bool fromKeyboard) {
    // One menu at a time.
    if (!open_ || menuOpen_) return;
    std::uint32_t chosen = 0;
    {
        FlagScope open(menuOpen_);
        chosen = platform_.ui.TrackPopupMenu(menu_.PopupItems(), position, window_.get());
    }
    // The window may have been closed while the menu was open.
    if (!open_) return;
    const auto command = static_cast<MenuCommand>(chosen);
    // Nothing to do: the keyboard goes back to the notification area it came from.
    if (fromKeyboard && (command == MenuCommand::None || command == MenuCommand::SizeLine)) {
        trayIcon_->ReturnFocus();
    }
    RunCommand(command);
}

void TrayApplication::OnTaskbarCreated() {
    if (!open_) return;
    // A new taskbar may come with another scaling (Explorer restarted after the user changed
    // it): its icon is added again at the size it shows.
    RefreshTrayPictures();
    trayIcon_->OnTaskbarCreated();
}

void TrayApplication::RunCommand(MenuCommand command) {
    switch (command) {
        case MenuCommand::None:
        case MenuCommand::SizeLine:
            return;
        case MenuCommand::EmptyBin:
            return EmptyOnRequest();
        case MenuCommand::OpenBin:
            return OpenRecycleBin();
        case MenuCommand::RecentFiles:
            return CleanRecentFiles();
        case MenuCommand::TempFiles:
            return CleanTempFiles();
        case MenuCommand::CCleaner:
            return StartCCleaner();
        case MenuCommand::Options:
            return options_.ShowOptions(autoEmpty_, removalSettings_);
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
    // Exit during the clean stopped it: the window is closed, no box follows.
    if (!open_ || result.stopped) return;
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

void TrayApplication::ShowAlreadyRunning() {
    trayIcon_->ShowBalloon(kApplicationTitle, kAlreadyRunningText, kInformationBalloon,
                           kAlreadyRunningBalloonMs);
}

LResult TrayApplication::HandleMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                                       LParam lParam) noexcept {
    // Nothing may leave a window procedure: a failed tick is skipped, the next one comes.
    try {
        if (message == msg::kTimer && wParam == kMonitorTimerId) {
            OnMonitorTick();
            return 0;
        }
        if (trayIcon_ && trayIcon_->IsTaskbarCreated(message)) {
            OnTaskbarCreated();
            return 0;
        }
        if (message == kRecycleBinDoneMessage) {
            // Once the window is closed, what the worker still finishes is dropped.
            if (open_) monitor_->OnRequestsDone();
            return 0;
        }
        if (message == msg::kDpiChanged || message == msg::kSettingChange) {
            // The scaling changed (of this window's monitor, or of any, as a changed setting
            // may tell): the taskbar's may be another now.
            RefreshTrayPictures();
            return platform_.windows.DefWindowProc(hwnd, message, wParam, lParam);
        }
        if (message == msg::kClose) {
            // Asked to close from outside (the user never sees the window): it closes as the
            // program's windows do, rather than losing its window under the tray icon.
            Close();
            return 0;
        }
        if (alreadyRunningMessage_ != 0 && message == alreadyRunningMessage_) {
            // A window that has closed does not answer: the new start waits and takes over.
            if (!open_) return 0;
            platform_.windows.PostMessage(window_.get(), kShowAlreadyRunningMessage, 0, 0);
            return kAlreadyRunningAnswer;
        }
        if (message == kShowAlreadyRunningMessage) {
            if (open_) ShowAlreadyRunning();
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
