#pragma once

// The tray demo: one TrayIcon on a hidden window of its own, driven from the icon's
// pop-up menu (balloons and blinking) or from the command line at start-up. It shows its
// instance number in the tooltip and in its window's text ("Tray demo 2"), so that anyone
// can tell two demos apart.

#include <cstdint>
#include <memory>
#include <vector>

#include "demo/DemoOptions.h"
#include "platform/Platform.h"
#include "platform/UniqueWindow.h"
#include "tray/TrayEvents.h"
#include "tray/TrayIcon.h"

namespace dustvale::demo {

// The commands of the pop-up menu. 0 stays free: the menu answers 0 when nothing was chosen.
enum class DemoCommand : std::uint32_t {
    None = 0,
    ShowBalloon,
    ShowLastBalloon,
    CloseBalloon,
    StartBlinking,
    StopBlinking,
    Exit,
};

class TrayDemo final : private MessageHandler, private TrayEvents {
public:
    // Creates the window and the control, puts the icon into the tray and acts on `options`.
    TrayDemo(Platform& platform, const DemoOptions& options);
    ~TrayDemo();
    TrayDemo(const TrayDemo&) = delete;
    TrayDemo& operator=(const TrayDemo&) = delete;

    // Whether the icon made it into the tray; without it there is nothing to show.
    bool Started() const { return started_; }
    // "Tray demo 2": the tooltip and the window's text.
    Text Title() const;
    Hwnd Window() const { return window_.get(); }
    void Run(DemoCommand command);

private:
    LResult HandleMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                          LParam lParam) noexcept override;
    void OnMouseUp(std::int16_t button) override;
    void OnKeySelect(Point anchor) override;
    void OnContextMenu(Point anchor) override;
    void OpenMenu(Point position, bool fromKeyboard);
    void OnError(const Text& source, std::int32_t code, const Text& description) override;

    Platform& platform_;
    UniqueWindow window_;      // the demo's hidden window: owns the menu
    UniqueWindow trayWindow_;  // the control's window, a child of the demo's
    std::unique_ptr<Picture> standardPicture_;
    std::unique_ptr<Picture> blinkPicture_;
    std::unique_ptr<TrayIcon> tray_;
    bool started_ = false;
    bool menuOpen_ = false;
};

// The whole demo: reads the arguments that follow the program's name, runs until Exit, and
// returns the exit code (2 for a command line it cannot read, after saying why).
std::int32_t RunTrayDemo(Platform& platform, const std::vector<Text>& args);

}  // namespace dustvale::demo
