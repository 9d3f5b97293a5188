#pragma once

// TrayApplication: the program's hidden main window. It owns the tray icon, the once-a-second
// Recycle Bin monitor, the two tray pictures, the tray menu and the auto-empty setting, and it
// runs the menu's commands. The user never sees its window.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "app/AutoEmptyPacing.h"
#include "app/AutomaticRemoval.h"
#include "app/MenuTree.h"
#include "app/PictureHolder.h"
#include "app/ProgramWindows.h"
#include "app/RecycleBinAccess.h"
#include "app/RecycleBinMonitor.h"
#include "app/WindowTimer.h"
#include "clean/TempFolderCleaner.h"
#include "common/NumberedFiles.h"
#include "platform/Platform.h"
#include "platform/UniqueWindow.h"
#include "settings/AutoEmptySetting.h"
#include "settings/RemovalSettingsInUse.h"
#include "tray/TrayEvents.h"
#include "tray/TrayIcon.h"

namespace dustvale {

class WindowStartup;
class OptionsDialogOpener;

class TrayApplication final : public ProgramWindow,
                              private MessageHandler,
                              private TrayEvents,
                              private RecycleBinMonitor::Listener {
public:
    // Starts the common controls, creates the window, the tray icon and the running monitor,
    // then loads (pictures, icon, settings, menu). The monitor's first tick comes after the
    // load, once messages run. `recycleBin` counts and empties the bins, and outlives this.
    TrayApplication(Platform& platform, ProgramWindows& programWindows, NumberedFiles& files,
                    WindowStartup& initialization, OptionsDialogOpener& options,
                    RecycleBinAccess& recycleBin);
    ~TrayApplication();
    TrayApplication(const TrayApplication&) = delete;
    TrayApplication& operator=(const TrayApplication&) = delete;

    // The auto-empty setting: read while loading, then what the Options dialog stores.
    const Text& AutoClean() const { return autoEmpty_.Value(); }

    // The menu's Empty: empties the Recycle Bins of all drives at once, with no question, no
    // progress window and no sound. The emptying runs on the Recycle Bin worker; the next
    // query after it sees the emptied bin.
    void EmptyRecycleBin();

    // Loads the tray pictures again at the small-icon size of the DPI the icon is shown at,
    // when that size has changed, and shows the new picture. Runs on a change of DPI or of the
    // system's settings, and is for the handling of a new taskbar too, which may lie on a
    // monitor of another scaling (best before the icon is added to it again).
    void RefreshTrayPictures();

    // Closing stops the monitor and a Temp Files clean under way, takes the icon out of the
    // tray and leaves the open windows.
    // Its objects stay in place until it is destroyed, since the closing may come from inside
    // one of its own handlers (a menu command, a message box).
    void Close() override;
    bool IsOpen() const { return open_; }
    // Runs once the window has closed and the icon is gone: a new start of the program may
    // then take over.
    void WhenClosed(std::function<void()> closed) { whenClosed_ = std::move(closed); }

    Hwnd Window() const { return window_.get(); }
    const MenuTree& Menu() const { return menu_; }
    const PictureHolder& FullPicture() const { return fullPicture_; }
    const PictureHolder& EmptyPicture() const { return emptyPicture_; }
    const TrayIcon& Icon() const { return *trayIcon_; }
    const WindowTimer& MonitorTimer() const { return *monitorTimer_; }
    const RecycleBinMonitor& Monitor() const { return *monitor_; }

private:
    void InitializeCommonControls();
    void Load();
    void OnMonitorTick();
    void ShowPicture(const PictureHolder& holder);
    // A query's figures: the size line, the picture, the tooltip, the auto-empty decision and
    // the rules of automatic removal.
    void OnFigures(const RecycleBinFigures& figures) override;
    // An automatic removal ended: a balloon says what went, if the user asked for it.
    void OnRemoved(RecycleBinTask task, std::uint64_t removed) override;
    // True when an automatic emptying was asked for.
    bool AutoEmpty(std::uint64_t items);
    // The menu's Empty, after the question when the user asked for one.
    void EmptyOnRequest();

    // The tray icon's events: the release of a mouse button opens the menu at the cursor,
    // the keyboard's selection and context menu open it at the icon.
    void OnMouseUp(std::int16_t button) override;
    void OnKeySelect(Point anchor) override;
    void OnContextMenu(Point anchor) override;
    void OpenMenu(Point position, bool fromKeyboard);
    // The shell created a taskbar anew (Explorer started or restarted).
    void OnTaskbarCreated();
    void RunCommand(MenuCommand command);
    void OpenRecycleBin();
    void CleanRecentFiles();
    void CleanTempFiles();
    void StartCCleaner();
    void ShowAbout();
    void Exit();
    // Another start of the program on this desktop asked for this one: the balloon says so.
    void ShowAlreadyRunning();

    LResult HandleMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                          LParam lParam) noexcept override;

    bool FileExists(const Text& path);
    // The first of CCleaner's two places that holds it, if any.
    std::optional<Text> CCleanerPath();
    std::int32_t ShowMessageBox(const Text& text, std::uint32_t style, const Text& title);

    Platform& platform_;
    ProgramWindows& programWindows_;
    NumberedFiles& files_;
    WindowStartup& initialization_;
    OptionsDialogOpener& options_;

    UniqueWindow window_;      // the hidden main window: the monitor's and the menus' owner
    UniqueWindow trayWindow_;  // the tray icon's window, a child of the main window
    PictureHolder fullPicture_;
    PictureHolder emptyPicture_;
    const PictureHolder* shownPicture_ = &fullPicture_;  // the one the tray icon shows
    MenuTree menu_;
    std::unique_ptr<TrayIcon> trayIcon_;
    std::unique_ptr<WindowTimer> monitorTimer_;
    RecycleBinAccess& recycleBin_;
    std::unique_ptr<RecycleBinMonitor> monitor_;
    AutoEmptyPacing autoEmptyPacing_;
    // Read while loading, then what the Options dialog stores; before the removal that uses it.
    RemovalSettingsInUse removalSettings_;
    std::unique_ptr<AutomaticRemoval> automaticRemoval_;
    RecycleBinFigures lastFigures_;  // of the last count, for the question before Empty
    Text pacedSetting_;  // the auto-empty setting the pacing has seen
    TempFolderCleaner cleaner_;
    AutoEmptySetting autoEmpty_;

    bool open_ = false;
    bool menuOpen_ = false;
    std::int32_t alreadyRunningMessage_ = 0;  // registered: 0 when the system gave none
    std::function<void()> whenClosed_;
};

}  // namespace dustvale
