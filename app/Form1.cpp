#include "app/Form1.h"

#include <exception>
#include <optional>
#include <stdexcept>

#include "app/ApplicationTitle.h"
#include "app/FlagScope.h"
#include "app/FileExists.h"
#include "app/FormInitialization.h"
#include "app/OptionsDialogHost.h"
#include "app/SizeLine.h"
#include "clean/RecentDocuments.h"
#include "platform/DialogWindow.h"
#include "clean/ApplicationPaths.h"
#include "settings/SettingsFile.h"

namespace dustvale {

namespace {

constexpr std::uint32_t kTimer1Id = 1;
constexpr std::uint32_t kTimer1IntervalMs = 1000;

// The form is parked off-screen, in twips as forms are laid out.
constexpr std::int32_t kOffScreenTwips = -1000;

const Text kFullIconFile = u"\\full.ico";
const Text kEmptyIconFile = u"\\empty.ico";

// The Recycle Bin the monitor looks at; emptying covers every drive.
const Text kMonitoredRoot = u"C:\\";
constexpr std::uint32_t kRecycleBinInfoSize = 20;
constexpr std::uint32_t kEmptyFlags =
    sherb::kNoConfirmation | sherb::kNoProgressUi | sherb::kNoSound;

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
const Text kTempFilesDone = u"The Windows Temporary folder has been cleaned.";
const Text kAboutTitle = u"About Dustvale";
const Text kAboutText =
    u"Dustvale\r\n"
    u"  Made by Quillmere (https://quillmere.example)\r\n"
    u"  Icons by Quillmere (https://quillmere.example/icons)\r\n"
    u"\r\n";

}  // namespace

Form1::Form1(Platform& platform, LoadedForms& forms, FileTable& files,
             FormInitialization& initialization, OptionsDialogHost& options)
    : platform_(platform),
      forms_(forms),
      files_(files),
      initialization_(initialization),
      options_(options),
      Image1_(platform.ui, platform.files, BuiltInPicture::TrayFull),
      Image2_(platform.ui, platform.files, BuiltInPicture::TrayEmpty),
      cleaner_(platform) {
    Form_Initialize();

    // The form's window and controls come into being with the form, Timer1 running.
    window_ = UniqueWindow(platform_.windows,
                           platform_.windows.CreateWindow(WindowKind::HiddenOwner, 0, this));
    if (!window_) {
        return;  // without its window the form cannot load: it never counts as loaded
    }
    trayWindow_ = UniqueWindow(platform_.windows, platform_.windows.CreateWindow(
                                                      WindowKind::Child, window_.get(), nullptr));
    TrayEvents& events = *this;
    ctlSysTrayBalloon1_ = std::make_unique<ctlSysTrayBalloon>(
        platform_, TrayHost{trayWindow_.get(), window_.get(), true}, events);
    try {
        ctlSysTrayBalloon1_->UserControl_ReadProperties();
    } catch (const std::overflow_error&) {
        // An instance number too large for identifiers: the control keeps the identifiers it
        // has, and the form loads all the same.
    }
    Timer1_ = std::make_unique<FormTimer>(platform_.windows, window_.get(), kTimer1Id,
                                          kTimer1IntervalMs);
    Timer1_->Start();

    loaded_ = true;
    forms_.Register(*this);
    Form_Load();
}

Form1::~Form1() {
    if (loaded_) {
        loaded_ = false;
        forms_.Unregister(*this);
    }
    // The control goes first: its termination takes the icon away and unhooks its window,
    // which must still exist then.
    Timer1_.reset();
    ctlSysTrayBalloon1_.reset();
    trayWindow_.reset();
    window_.reset();
}

void Form1::Form_Initialize() {
    initialization_.StartCommonControls();
    initialization_.InitUserExClasses();
}

void Form1::Form_Load() {
    const Text appFolder = ApplicationFolder(platform_.kernel);

    if (FileExists(appFolder + kFullIconFile)) Image1_.LoadFile(appFolder + kFullIconFile);
    if (FileExists(appFolder + kEmptyIconFile)) Image2_.LoadFile(appFolder + kEmptyIconFile);

    const std::int32_t offScreen = TwipsToPixels(kOffScreenTwips, platform_.windows.ScreenDpi());
    platform_.windows.MoveWindow(window_.get(), Point{offScreen, offScreen});

    // The icon shows from here on, before the settings are known.
    ctlSysTrayBalloon1_->IconPicture(Image1_.picture());
    ctlSysTrayBalloon1_->Tooltip(kApplicationTitle);
    ctlSysTrayBalloon1_->SysTrayAddIcon();

    AutoClean_ = LoadAutoClean(platform_, files_, appFolder);

    MenuNode& ccleaner = menu_.Item("mnuCCleaner");
    ccleaner.visible = CCleanerPath().has_value();
}

void Form1::Timer1_Timer() {
    if (!loaded_) return;

    RecycleBinInfo info{};
    info.cbSize = kRecycleBinInfoSize;
    // A failed query leaves the record at zero: an empty bin is shown.
    platform_.shell.QueryRecycleBin(kMonitoredRoot, info);
    const std::uint64_t size = info.i64Size;
    const std::uint64_t count = info.i64NumItems;

    menu_.Item("mnuTK").caption = FormatSizeLine(size, count);
    if (count >= 1) {
        ctlSysTrayBalloon1_->IconPicture(Image1_.picture());
        ctlSysTrayBalloon1_->Tooltip(FormatTooltip(count));
    } else {
        ctlSysTrayBalloon1_->IconPicture(Image2_.picture());
        ctlSysTrayBalloon1_->Tooltip(kApplicationTitle);
    }

    if (AutoEmptyDue(AutoClean_, count)) EmptyRB();
}

void Form1::EmptyRB() {
    platform_.shell.EmptyRecycleBin(window_.get(), std::nullopt, kEmptyFlags);
}

void Form1::Unload() {
    if (!loaded_) return;
    loaded_ = false;
    Timer1_->Stop();
    // The icon goes with the form even when the process is about to end at once.
    if (ctlSysTrayBalloon1_->IconLoaded()) ctlSysTrayBalloon1_->SysTrayRemoveIcon();
    forms_.Unregister(*this);
}

void Form1::MouseUp(std::int16_t /*Button*/) {
    // Every button opens the menu; one menu at a time.
    if (!loaded_ || menuOpen_) return;
    std::uint32_t chosen = 0;
    {
        FlagScope open(menuOpen_);
        chosen = platform_.ui.TrackPopupMenu(menu_.PopupItems(), platform_.windows.GetCursorPos(),
                                             window_.get());
    }
    // The form may have been unloaded while the menu was open.
    if (!loaded_) return;
    RunCommand(static_cast<MenuCommand>(chosen));
}

void Form1::RunCommand(MenuCommand command) {
    switch (command) {
        case MenuCommand::None:
        case MenuCommand::SizeLine:
            return;
        case MenuCommand::EmptyBin:
            return EmptyRB();
        case MenuCommand::OpenBin:
            return mnuORB_Click();
        case MenuCommand::RecentFiles:
            return mnuRFiles_Click();
        case MenuCommand::TempFiles:
            return mnuTFiles_Click();
        case MenuCommand::CCleaner:
            return mnuCCleaner_Click();
        case MenuCommand::Options:
            return options_.ShowOptions(AutoClean_);
        case MenuCommand::About:
            return mnuAbout_Click();
        case MenuCommand::Exit:
            return mnuExit_Click();
    }
}

void Form1::mnuORB_Click() {
    platform_.shell.ShellExecute(0, u"Open", u"explorer.exe", kRecycleBinFolderArgument,
                                 std::nullopt, kShowNormal);
}

void Form1::mnuRFiles_Click() {
    ClearRecentDocuments(platform_.shell);
    MsgBox(kRecentFilesDone, mb::kOk | mb::kIconInformation, kApplicationTitle);
}

void Form1::mnuTFiles_Click() {
    // One clean at a time: a clean that is running lets menu commands through.
    if (cleaner_.Running()) return;
    if (MsgBox(kTempFilesQuestion, mb::kOkCancel, kApplicationTitle) != mb::kIdOk) return;
    if (!loaded_) return;
    cleaner_.CleanTempFolders();
    // Exit during the clean: the form is gone, no box follows.
    if (!loaded_) return;
    MsgBox(kTempFilesDone, mb::kOk | mb::kIconInformation, kApplicationTitle);
}

void Form1::mnuCCleaner_Click() {
    if (const auto path = CCleanerPath()) platform_.shell.RunProgram(*path, kShowNormal);
}

void Form1::mnuAbout_Click() { MsgBox(kAboutText, mb::kOk | mb::kIconInformation, kAboutTitle); }

void Form1::mnuExit_Click() {
    ctlSysTrayBalloon1_->SysTrayRemoveIcon();
    Unload();
}

LResult Form1::HandleMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                             LParam lParam) noexcept {
    // Nothing may leave a window procedure: a failed tick is skipped, the next one comes.
    try {
        if (message == msg::kTimer && wParam == kTimer1Id) {
            Timer1_Timer();
            return 0;
        }
        if (message == msg::kClose) {
            // Asked to close from outside (the user never sees the window): the form unloads,
            // as a form does, rather than losing its window under the tray icon.
            Unload();
            return 0;
        }
        return platform_.windows.DefWindowProc(hwnd, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

bool Form1::FileExists(const Text& strPathName) {
    return dustvale::FileExists(platform_.files, strPathName);
}

std::optional<Text> Form1::CCleanerPath() {
    for (const Text& path : kCCleanerPaths) {
        if (FileExists(path)) return path;
    }
    return std::nullopt;
}

std::int32_t Form1::MsgBox(const Text& text, std::uint32_t style, const Text& title) {
    return platform_.ui.MessageBox(window_.get(), text, title, style);
}

}  // namespace dustvale
