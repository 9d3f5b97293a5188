// Balloon tips: shown through the icon record, remembered for BalloonTipShowLast, and ended
// by the control itself after the caller's time-out, counted from the moment the shell shows
// the balloon.

#include "tray/CaughtError.h"
#include "tray/TrayErrors.h"
#include "tray/ctlSysTrayBalloon.h"

namespace dustvale {

bool ctlSysTrayBalloon::BalloonTipShow(const Text& Title64Unicode, const Text& Message256Unicode,
                                       std::int32_t Style, std::int32_t Timeout_mSec) {
    if (!IconLoaded_) {
        RaisePgmError(u"BalloonTipShow", trayerror::kWrongState, trayerror::kNotLoadedText);
        return false;
    }
    try {
        LastBalloonTimeout_ = Timeout_mSec;
        LastBalloonTitle_ = Title64Unicode;
        LastBalloonMessage_ = Message256Unicode;
        LastBalloonStyle_ = Style;
        // An empty title keeps the previous balloon's title in the record.
        StringToBuffer(Message256Unicode, IconData_.szInfo);
        StringToBuffer(Title64Unicode, IconData_.szInfoTitle);
        IconData_.uTimeoutOrVersion = static_cast<std::uint32_t>(Timeout_mSec);
        IconData_.dwInfoFlags = static_cast<std::uint32_t>(Style);
        IconData_.uFlags = nif::kInfo;  // picture and tooltip are not sent again
        platform_.shell.NotifyIcon(NotifyMessage::Modify, IconData_);
        // The balloon timer starts when the shell reports the balloon as shown.
        return true;
    } catch (const std::exception& error) {
        const CaughtError caught = DescribeError(error);
        RaisePgmError(u"BalloonTipShow", caught.number, caught.description);
        return false;
    }
}

void ctlSysTrayBalloon::BalloonTipShowLast() {
    if (LastBalloonMessage_.empty() || LastBalloonTitle_.empty() || LastBalloonTimeout_ == 0) {
        return;
    }
    // Copies: BalloonTipShow stores its arguments into these very fields.
    const Text title = LastBalloonTitle_;
    const Text message = LastBalloonMessage_;
    BalloonTipShow(title, message, LastBalloonStyle_, LastBalloonTimeout_);
}

void ctlSysTrayBalloon::BalloonTipClose() {
    if (!IconLoaded_) {
        return;
    }
    // The search lets pending messages run, and so may the clicks: after each of them only
    // the local `alive` may be trusted.
    const std::shared_ptr<bool> alive = alive_;
    try {
        const Hwnd balloon = BalloonWindowFind(LastBalloonMessage_);
        if (!*alive || balloon == 0) {
            return;
        }
        // The shell reports the click as NIN_BALLOONUSERCLICK while it is being delivered;
        // BalloonClosing tells CallBackProc that the click was the control's own.
        struct ClosingScope {
            ctlSysTrayBalloon& control;
            const std::shared_ptr<bool>& alive;
            explicit ClosingScope(ctlSysTrayBalloon& c, const std::shared_ptr<bool>& a)
                : control(c), alive(a) {
                control.BalloonClosing_ = true;
            }
            ~ClosingScope() {
                if (*alive) {
                    control.BalloonClosing_ = false;
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
            const CaughtError caught = DescribeError(error);
            RaisePgmError(u"BalloonTipClose", caught.number, caught.description);
        }
    }
}

void ctlSysTrayBalloon::BalloonTimerStart() {
    if (LastBalloonTimeout_ > 0) {
        StartTimer(BalloonTimerId_, LastBalloonTimeout_, BalloonTimerRunning_);
    }
}

void ctlSysTrayBalloon::BalloonTimerStop() { StopTimer(BalloonTimerId_, BalloonTimerRunning_); }

}  // namespace dustvale
