#pragma once

// TrayApplication: the program's hidden main window. It owns the tray icon, the once-a-second
// Recycle Bin monitor, the two tray pictures, the tray menu and the auto-empty setting, and it
// runs the menu's commands. The user never sees its window.

#include <cstdint>
#include <memory>
#include <optional>

#include "app/AutoEmptyPacing.h"
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

    // Closing stops the monitor, takes the icon out of the tray and leaves the open windows.
    // Its objects stay in place until it is destroyed, since the closing may come from inside
    // one of its own handlers (a menu command, a message box).
    void Close() override;
    bool IsOpen() const { return open_; }

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
    // A query's figures: the size line, the picture, the tooltip and the auto-empty decision.
    void OnFigures(const RecycleBinFigures& figures) override;
    void AutoEmpty(std::uint64_t items);

    // The tray icon's events: only the release of a mouse button is handled.
    void OnMouseUp(std::int16_t button) override;
    void RunCommand(MenuCommand command);
    void OpenRecycleBin();
    void CleanRecentFiles();
    void CleanTempFiles();
    void StartCCleaner();
    void ShowAbout();
    void Exit();

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
    MenuTree menu_;
    std::unique_ptr<TrayIcon> trayIcon_;
    std::unique_ptr<WindowTimer> monitorTimer_;
    RecycleBinAccess& recycleBin_;
    std::unique_ptr<RecycleBinMonitor> monitor_;
    AutoEmptyPacing autoEmptyPacing_;
    Text pacedSetting_;  // the auto-empty setting the pacing has seen
    TempFolderCleaner cleaner_;
    AutoEmptySetting autoEmpty_;

    bool open_ = false;
    bool menuOpen_ = false;
};

}  // namespace dustvale
