// Balloon tips: shown through the icon record, remembered for ShowLastBalloon, and ended
// by the control itself after the caller's time-out, counted from the moment the shell shows
// the balloon.

#include "tray/ErrorDetails.h"
#include "tray/TrayErrors.h"
#include "tray/TrayIcon.h"

namespace dustvale {

bool TrayIcon::ShowBalloon(const Text& title, const Text& message, std::int32_t style,
                           std::int32_t timeoutMs) {
    if (!registered_) {
        RaiseError(trayerror::source::kShowBalloon, trayerror::kWrongState,
                   trayerror::kNotLoadedText);
        return false;
    }
    try {
        lastBalloonTimeout_ = timeoutMs;
        lastBalloonTitle_ = title;
        lastBalloonMessage_ = message;
        lastBalloonStyle_ = style;
        // An empty title keeps the previous balloon's title in the record.
        StringToBuffer(message, record_.szInfo);
        StringToBuffer(title, record_.szInfoTitle);
        record_.uTimeoutOrVersion = static_cast<std::uint32_t>(timeoutMs);
        record_.dwInfoFlags = static_cast<std::uint32_t>(style);
        record_.uFlags = nif::kInfo;  // picture and tooltip are not sent again
        platform_.shell.NotifyIcon(NotifyMessage::Modify, record_);
        // The balloon timer starts when the shell reports the balloon as shown.
        return true;
    } catch (const std::exception& error) {
        const ErrorDetails details = DescribeError(error);
        RaiseError(trayerror::source::kShowBalloon, details.number, details.description);
        return false;
    }
}

void TrayIcon::ShowLastBalloon() {
    if (lastBalloonMessage_.empty() || lastBalloonTitle_.empty() || lastBalloonTimeout_ == 0) {
        return;
    }
    // Copies: ShowBalloon stores its arguments into these very fields.
    const Text title = lastBalloonTitle_;
    const Text message = lastBalloonMessage_;
    ShowBalloon(title, message, lastBalloonStyle_, lastBalloonTimeout_);
}

void TrayIcon::CloseBalloon() {
    if (!registered_) {
        return;
    }
    // The search lets pending messages run, and so may the clicks: after each of them only
    // the local `alive` may be trusted.
    const std::shared_ptr<bool> alive = alive_;
    try {
        const Hwnd balloon = FindBalloonWindow(lastBalloonMessage_);
        if (!*alive || balloon == 0) {
            return;
        }
        // The shell reports the click as NIN_BALLOONUSERCLICK while it is being delivered;
        // balloonClosing_ tells OnWindowMessage that the click was the control's own.
        struct ClosingScope {
            TrayIcon& control;
            const std::shared_ptr<bool>& alive;
            explicit ClosingScope(TrayIcon& c, const std::shared_ptr<bool>& a)
                : control(c), alive(a) {
                control.balloonClosing_ = true;
            }
            ~ClosingScope() {
                if (*alive) {
                    control.balloonClosing_ = false;
                }
            }
            ClosingScope(const ClosingScope&) = delete;
            ClosingScope& operator=(const ClosingScope&) = delete;
        } closing(*this, alive);
        platform_.windows.SendMessage(balloon, msg::kMButtonDown, 0, 0);
        if (!*alive) {
            return;
        }
        platform_.windows.SendMessage(balloon, msg::kMButtonUp, 0, 0);
    } catch (const std::exception& error) {
        if (*alive) {
            const ErrorDetails details = DescribeError(error);
            RaiseError(trayerror::source::kCloseBalloon, details.number, details.description);
        }
    }
}

void TrayIcon::StartBalloonTimer() {
    if (lastBalloonTimeout_ > 0) {
        StartTimer(balloonTimerId_, lastBalloonTimeout_, balloonTimerRunning_);
    }
}

void TrayIcon::StopBalloonTimer() { StopTimer(balloonTimerId_, balloonTimerRunning_); }

}  // namespace dustvale
