#pragma once

// The main window in a simulated Windows, with the services it calls outside itself written
// down: the common-controls start-up, the Options dialog and the open windows.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/OptionsDialogOpener.h"
#include "app/ProgramWindows.h"
#include "app/TrayApplication.h"
#include "app/WindowStartup.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimKernel.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/SimUserInterface.h"
#include "platform/sim/SimWindowing.h"
#include "platform/sim/SimWindows.h"

namespace dustvale::apptest {

inline const Text kAppFolder = u"C:\\Program Files\\Dustvale";
inline const Text kSettingsFile = u"C:\\Program Files\\Dustvale\\AutoClean.cfg";
inline const Text kFullIco = u"C:\\Program Files\\Dustvale\\full.ico";
inline const Text kEmptyIco = u"C:\\Program Files\\Dustvale\\empty.ico";
inline const Text kCCleaner = u"C:\\Program Files\\CCleaner\\ccleaner.exe";
inline const Text kCCleanerX86 = u"C:\\Program Files (x86)\\CCleaner\\ccleaner.exe";

// The bytes of an .ico file with one 1 x 1 image of one bit per pixel; `tag` is its first
// colour, which makes files of different pictures.
inline std::string IcoBytes(char tag) {
    std::string bytes("\0\0\1\0\1\0", 6);
    bytes += std::string("\1\1\0\0\1\0\1\0\x38\0\0\0\x16\0\0\0", 16);  // 56 bytes at 22
    bytes += std::string("\x28\0\0\0\1\0\0\0\2\0\0\0\1\0\1\0", 16);  // header: 1 x 1, 1 bit
    bytes += std::string(24, '\0');
    bytes += std::string{tag, tag, tag, '\0'} + std::string(4, '\xFF');  // colour table
    bytes += std::string(8, '\0');                                       // colour and mask rows
    return bytes;
}

class RecordingInitialization final : public WindowStartup {
public:
    void StartCommonControls() override {
        if (onStart) onStart();
        calls.push_back("StartCommonControls");
    }
    bool InitUserExClasses() override {
        calls.push_back("InitUserExClasses");
        return false;  // not looked at
    }
    std::vector<std::string> calls;
    std::function<void()> onStart;
};

class RecordingOptions final : public OptionsDialogOpener {
public:
    void ShowOptions(AutoEmptySetting& autoEmpty, RemovalSettingsInUse& /*removal*/) override {
        shown.push_back(autoEmpty.Value());
    }
    std::vector<Text> shown;
};

// Another open window (the Options dialog, say), which keeps the process alive.
class OtherWindow final : public ProgramWindow {
public:
    void Close() override { ++closes; }
    int closes = 0;
};

struct AppScene {
    AppScene() = default;
    AppScene(const AppScene&) = delete;
    AppScene& operator=(const AppScene&) = delete;

    TrayApplication& Create() {
        // Under the simulated Wine, the Trash access the program chooses there.
        recycleBin = RecycleBinAccessFor(platform);
        app = std::make_unique<TrayApplication>(platform, programWindows, files, initialization,
                                                options, *recycleBin);
        return *app;
    }

    Hwnd TrayWindow() const { return app->Icon().Record().hWnd; }
    std::uint32_t IconId() const { return static_cast<std::uint32_t>(app->Icon().IconId()); }
    // The user releases a mouse button over the tray icon (WM_RBUTTONUP by default).
    bool Release(std::int32_t notification = msg::kRButtonUp) {
        return sim.shell().SendCallback(TrayWindow(), IconId(), notification);
    }
    // The icon as the tray shows it now, if it does.
    std::optional<sim::SimShell::TrayIcon> ShownIcon() {
        const auto icons = sim.shell().Icons();
        if (icons.empty()) return std::nullopt;
        return icons.front();
    }
    // Opens the menu and chooses the item at `path`; returns whether it was there.
    bool Choose(std::vector<Text> path) {
        auto found = std::make_shared<bool>(false);
        sim.ui().AnswerMenu([found, path](const sim::SimUserInterface::MenuCall& call) {
            const std::uint32_t command = sim::FindCommand(call.items, path);
            *found = command != 0;
            return command;
        });
        Release();
        return *found;
    }
    // The next menu is answered with `path` (run inside a box or menu script).
    void AnswerMenuWith(std::vector<Text> path) {
        sim.ui().AnswerMenu([path](const sim::SimUserInterface::MenuCall& call) {
            return sim::FindCommand(call.items, path);
        });
    }

    sim::SimWindows sim;
    Platform platform = sim.platform();
    ProgramWindows programWindows{sim.windows()};
    NumberedFiles files{sim.files()};
    RecordingInitialization initialization;
    RecordingOptions options;
    std::unique_ptr<RecycleBinAccess> recycleBin;
    std::unique_ptr<TrayApplication> app;
};

}  // namespace dustvale::apptest
