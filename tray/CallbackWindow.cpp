// The control's window: the hook that routes the shell's callback messages and the control's
// timers to OnWindowMessage, the events they become, the timers' common pattern and the watch
// that re-registers the icon when the taskbar is re-created. A left click's NIN_SELECT gives
// no event of its own: the button's release has given its events.

#include "tray/TrayIcon.h"

namespace dustvale {

namespace {
constexpr const char16_t* kTaskbarClass = u"Shell_TrayWnd";
constexpr std::int32_t kTaskbarWatchMs = 2000;
}  // namespace

LResult TrayIcon::HandleMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                                LParam lParam) noexcept {
    return OnWindowMessage(hwnd, message, wParam, lParam);
}

LResult TrayIcon::OnWindowMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                                  LParam lParam) noexcept {
    // Nothing may leave a window procedure: a failure, in the control or in a host's event
    // handler, ends the handling of this message, which is then not handed on.
    try {
        return RouteMessage(hwnd, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

LResult TrayIcon::RouteMessage(Hwnd hwnd, std::int32_t message, WParam wParam, LParam lParam) {
    if (previousWindowProc_ == 0) {
        return 0;
    }
    if (message == msg::kTimer) {
        HandleTimer(wParam);
        return 0;
    }
    if (message == msg::kTrayCallback) {
        // A handler may remove the icon or even end the control; after each event only
        // the local `alive` may be trusted.
        const std::shared_ptr<bool> alive = alive_;
        switch (lParam) {
            case msg::kMouseMove:
                events_.OnMouseMove();
                break;
            case msg::kLButtonDown:
                BringOwnerForward();
                events_.OnMouseDown(button::kLeft);
                break;
            case msg::kLButtonUp:
                BringOwnerForward();
                events_.OnClick();
                if (!*alive) {
                    return 0;
                }
                events_.OnMouseUp(button::kLeft);
                break;
            case msg::kLButtonDblClk:
                BringOwnerForward();
                events_.OnDoubleClick(button::kLeft);
                break;
            case msg::kRButtonDown:
                BringOwnerForward();
                events_.OnMouseDown(button::kRight);
                break;
            case msg::kRButtonUp:
                BringOwnerForward();
                RaiseActivation(Activation::RightButtonUp);
                break;
            case msg::kRButtonDblClk:
                BringOwnerForward();
                events_.OnDoubleClick(button::kRight);
                break;
            case msg::kMButtonDown:
                BringOwnerForward();
                events_.OnMouseDown(button::kMiddle);
                break;
            case msg::kMButtonUp:
                BringOwnerForward();
                events_.OnMouseUp(button::kMiddle);
                break;
            case msg::kMButtonDblClk:
                BringOwnerForward();
                events_.OnDoubleClick(button::kMiddle);
                break;
            case msg::kKeySelect:
                RaiseActivation(Activation::KeySelect);
                break;
            case msg::kContextMenu:
                RaiseActivation(Activation::ContextMenu);
                break;
            case msg::kBalloonShow:
                StartBalloonTimer();
                events_.OnBalloonShown();
                break;
            case msg::kBalloonHide:
                StopBalloonTimer();
                events_.OnBalloonTimedOut();
                break;
            case msg::kBalloonTimeout:
                StopBalloonTimer();
                events_.OnBalloonClosed();
                break;
            case msg::kBalloonUserClick:
                // The control's own click that dismisses a balloon is not the user's.
                if (balloonClosing_) {
                    events_.OnBalloonTimedOut();
                } else {
                    events_.OnBalloonClicked();
                }
                break;
            default:
                break;
        }
        if (!*alive) {
            return 0;
        }
        // A handler that removed the icon has already given the window its procedure back.
        if (previousWindowProc_ == 0) {
            return 0;
        }
    }
    return platform_.windows.CallWindowProc(previousWindowProc_, hwnd, message, wParam, lParam);
}

void TrayIcon::HandleTimer(WParam timerId) {
    // The timers were set with their ids as unsigned 32-bit values, which WM_TIMER's wParam
    // carries zero-extended.
    const auto isTimer = [timerId](std::int32_t id) {
        return timerId == static_cast<std::uint32_t>(id);
    };
    if (isTimer(iconId_)) {
        RetryRegistration();
    } else if (isTimer(taskbarTimerId_)) {
        CheckTaskbar();
    } else if (isTimer(balloonTimerId_)) {
        StopBalloonTimer();
        CloseBalloon();
    } else if (isTimer(blinkTimerId_)) {
        SwapBlinkIcons();
    }
}

void TrayIcon::BringOwnerForward() {
    // So that a pop-up menu opened by the event's handler belongs to the foreground window.
    platform_.windows.SetForegroundWindow(host_.ownerWindow);
}

void TrayIcon::HookWindow() {
    if (!host_.hookWindow) {
        return;
    }
    UnhookWindow();  // never stack a second hook on the first
    previousWindowProc_ = platform_.windows.SubclassWindow(host_.controlWindow, *this);
    taskbarWindow_ = platform_.windows.FindWindow(kTaskbarClass);
    StartTaskbarTimer();
}

void TrayIcon::UnhookWindow() {
    StopRegistrationRetry();
    StopTaskbarTimer();
    StopBalloonTimer();
    StopBlinkTimer();
    if (previousWindowProc_ != 0) {
        platform_.windows.RestoreWindowProc(host_.controlWindow, previousWindowProc_);
        previousWindowProc_ = 0;
    }
}

bool TrayIcon::StartTimer(std::int32_t id, std::int32_t periodMs, bool& running) {
    if (!host_.hookWindow || running) {
        return false;
    }
    const std::uint32_t result = platform_.windows.SetTimer(
        host_.controlWindow, static_cast<std::uint32_t>(id), static_cast<std::uint32_t>(periodMs));
    if (result == static_cast<std::uint32_t>(id)) {
        running = true;
    }
    return running;
}

void TrayIcon::StopTimer(std::int32_t id, bool& running) {
    if (!running) {
        return;
    }
    platform_.windows.KillTimer(host_.controlWindow, static_cast<std::uint32_t>(id));
    running = false;
}

void TrayIcon::StartTaskbarTimer() {
    StartTimer(taskbarTimerId_, kTaskbarWatchMs, taskbarTimerRunning_);
}

void TrayIcon::StopTaskbarTimer() { StopTimer(taskbarTimerId_, taskbarTimerRunning_); }

void TrayIcon::CheckTaskbar() {
    if (platform_.windows.FindWindow(kTaskbarClass) == taskbarWindow_) {
        return;
    }
    // While no taskbar exists there is nothing to register with; keep watching.
    if (platform_.windows.FindWindow(kTaskbarClass) == 0) {
        return;
    }
    // A new taskbar has forgotten the icon: register it again. The removal stops every
    // timer, blinking included, so blinking is restarted with its cycle afterwards.
    // Both calls may report an error through OnError, whose handler may end the control.
    const std::shared_ptr<bool> alive = alive_;
    const bool wasBlinking = blinking_;
    RemoveIcon();
    if (!*alive) {
        return;
    }
    AddIcon();
    if (!*alive) {
        return;
    }
    if (wasBlinking) {
        StartBlinking(blinkCycle_);
    }
}

}  // namespace dustvale
