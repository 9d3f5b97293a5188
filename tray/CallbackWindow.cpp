// The control's window: the hook that routes the shell's callback messages and the control's
// timers to CallBackProc, the events they become, the timers' common pattern and the watch
// that re-registers the icon when the taskbar is re-created.

#include "tray/ctlSysTrayBalloon.h"

namespace dustvale {

namespace {
constexpr const char16_t* kTaskbarClass = u"Shell_TrayWnd";
constexpr std::int32_t kTaskbarWatchMs = 2000;
}  // namespace

LResult ctlSysTrayBalloon::HandleMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                                         LParam lParam) noexcept {
    return CallBackProc(hwnd, message, wParam, lParam);
}

LResult ctlSysTrayBalloon::CallBackProc(Hwnd hwnd, std::int32_t uMsg, WParam wParam,
                                        LParam lParam) noexcept {
    // Nothing may leave a window procedure: a failure, in the control or in a host's event
    // handler, ends the handling of this message, which is then not handed on.
    try {
        return HandleCallback(hwnd, uMsg, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

LResult ctlSysTrayBalloon::HandleCallback(Hwnd hwnd, std::int32_t uMsg, WParam wParam,
                                          LParam lParam) {
    if (PreviousWindowProc_ == 0) {
        return 0;
    }
    if (uMsg == msg::kTimer) {
        HandleTimer(wParam);
        return 0;
    }
    if (uMsg == msg::kTrayCallback) {
        // A handler may remove the icon or even end the control; after each event only
        // the local `alive` may be trusted.
        const std::shared_ptr<bool> alive = alive_;
        switch (lParam) {
            case msg::kMouseMove:
                events_.MouseMove();
                break;
            case msg::kLButtonDown:
                Foreground();
                events_.MouseDown(button::kLeft);
                break;
            case msg::kLButtonUp:
                Foreground();
                events_.Click();
                if (!*alive) {
                    return 0;
                }
                events_.MouseUp(button::kLeft);
                break;
            case msg::kLButtonDblClk:
                Foreground();
                events_.DblClick(button::kLeft);
                break;
            case msg::kRButtonDown:
                Foreground();
                events_.MouseDown(button::kRight);
                break;
            case msg::kRButtonUp:
                Foreground();
                events_.MouseUp(button::kRight);
                break;
            case msg::kRButtonDblClk:
                Foreground();
                events_.DblClick(button::kRight);
                break;
            case msg::kMButtonDown:
                Foreground();
                events_.MouseDown(button::kMiddle);
                break;
            case msg::kMButtonUp:
                Foreground();
                events_.MouseUp(button::kMiddle);
                break;
            case msg::kMButtonDblClk:
                Foreground();
                events_.DblClick(button::kMiddle);
                break;
            case msg::kBalloonShow:
                BalloonTimerStart();
                events_.BalloonShow();
                break;
            case msg::kBalloonHide:
                BalloonTimerStop();
                events_.BalloonTimeOut();
                break;
            case msg::kBalloonTimeout:
                BalloonTimerStop();
                events_.BalloonClosed();
                break;
            case msg::kBalloonUserClick:
                // The control's own click that dismisses a balloon is not the user's.
                if (BalloonClosing_) {
                    events_.BalloonTimeOut();
                } else {
                    events_.BalloonClicked();
                }
                break;
            default:
                break;
        }
        if (!*alive) {
            return 0;
        }
        // A handler that removed the icon has already given the window its procedure back.
        if (PreviousWindowProc_ == 0) {
            return 0;
        }
    }
    return platform_.windows.CallWindowProc(PreviousWindowProc_, hwnd, uMsg, wParam, lParam);
}

void ctlSysTrayBalloon::HandleTimer(WParam timerId) {
    // The timers were set with their ids as unsigned 32-bit values, which WM_TIMER's wParam
    // carries zero-extended.
    const auto isTimer = [timerId](std::int32_t id) {
        return timerId == static_cast<std::uint32_t>(id);
    };
    if (isTimer(TaskbarTimerId_)) {
        TaskbarCheck();
    } else if (isTimer(BalloonTimerId_)) {
        BalloonTimerStop();
        BalloonTipClose();
    } else if (isTimer(BlinkTimerId_)) {
        BlinkSwapIcons();
    }
}

void ctlSysTrayBalloon::Foreground() {
    // So that a pop-up menu opened by the event's handler belongs to the foreground window.
    platform_.windows.SetForegroundWindow(host_.formWindow);
}

void ctlSysTrayBalloon::HookWindow() {
    if (!host_.userMode) {
        return;
    }
    UnhookWindow();  // never stack a second hook on the first
    PreviousWindowProc_ = platform_.windows.SubclassWindow(host_.controlWindow, *this);
    TaskbarWindow_ = platform_.windows.FindWindow(kTaskbarClass);
    TaskbarTimerStart();
}

void ctlSysTrayBalloon::UnhookWindow() {
    TaskbarTimerStop();
    BalloonTimerStop();
    BlinkTimerStop();
    if (PreviousWindowProc_ != 0) {
        platform_.windows.RestoreWindowProc(host_.controlWindow, PreviousWindowProc_);
        PreviousWindowProc_ = 0;
    }
}

bool ctlSysTrayBalloon::StartTimer(std::int32_t id, std::int32_t periodMs, bool& running) {
    if (!host_.userMode || running) {
        return false;
    }
    const std::uint32_t result = platform_.windows.SetTimer(
        host_.controlWindow, static_cast<std::uint32_t>(id), static_cast<std::uint32_t>(periodMs));
    if (result == static_cast<std::uint32_t>(id)) {
        running = true;
    }
    return running;
}

void ctlSysTrayBalloon::StopTimer(std::int32_t id, bool& running) {
    if (!running) {
        return;
    }
    platform_.windows.KillTimer(host_.controlWindow, static_cast<std::uint32_t>(id));
    running = false;
}

void ctlSysTrayBalloon::TaskbarTimerStart() {
    StartTimer(TaskbarTimerId_, kTaskbarWatchMs, TaskbarTimerRunning_);
}

void ctlSysTrayBalloon::TaskbarTimerStop() { StopTimer(TaskbarTimerId_, TaskbarTimerRunning_); }

void ctlSysTrayBalloon::TaskbarCheck() {
    if (platform_.windows.FindWindow(kTaskbarClass) == TaskbarWindow_) {
        return;
    }
    // While no taskbar exists there is nothing to register with; keep watching.
    if (platform_.windows.FindWindow(kTaskbarClass) == 0) {
        return;
    }
    // A new taskbar has forgotten the icon: register it again. The removal stops every
    // timer, blinking included, so blinking is restarted with its cycle afterwards.
    // Both calls may raise PgmError, whose handler may end the control.
    const std::shared_ptr<bool> alive = alive_;
    const bool wasBlinking = BlinkRunning_;
    SysTrayRemoveIcon();
    if (!*alive) {
        return;
    }
    SysTrayAddIcon();
    if (!*alive) {
        return;
    }
    if (wasBlinking) {
        BlinkStart(BlinkCycle_);
    }
}

}  // namespace dustvale
