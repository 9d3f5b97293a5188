// The notifications that may open a menu: a right click's release, and the keyboard's
// selection and context menu, told apart from the shell's repeats of one action; where the
// icon is, so that what the keyboard opens shows there; and the focus given back to the
// notification area.

#include "tray/ErrorDetails.h"
#include "tray/TrayErrors.h"
#include "tray/TrayIcon.h"

namespace dustvale {

namespace {
// Enter reports the selection twice, and a right click's release is followed by the context
// menu: what comes this soon after the same kind of notification was handled is its repeat.
constexpr std::uint64_t kRepeatWithinMs = 500;
}  // namespace

// Marks a notification as being handled, and the time its handling ended. The handler may
// end the control, after which nothing of it is touched.
class TrayIcon::ActivationScope {
public:
    ActivationScope(TrayIcon& control, Activation kind) : control_(control), alive_(control.alive_) {
        control_.lastActivation_ = kind;
        ++control_.activationsRunning_;
    }
    ~ActivationScope() {
        if (!*alive_) return;
        --control_.activationsRunning_;
        control_.lastActivationEndedMs_ = control_.platform_.kernel.TickCount();
    }
    ActivationScope(const ActivationScope&) = delete;
    ActivationScope& operator=(const ActivationScope&) = delete;

private:
    TrayIcon& control_;
    std::shared_ptr<bool> alive_;
};

void TrayIcon::RaiseActivation(Activation kind) {
    if (kind == Activation::RightButtonUp) {
        const ActivationScope activation(*this, kind);
        events_.OnMouseUp(button::kRight);
        return;
    }
    if (RepeatsLastActivation(kind)) return;
    const Point anchor = IconAnchor();
    // So that a menu opened by the handler belongs to the foreground window and takes keys.
    BringOwnerForward();
    const ActivationScope activation(*this, kind);
    if (kind == Activation::KeySelect) {
        events_.OnKeySelect(anchor);
    } else {
        events_.OnContextMenu(anchor);
    }
}

bool TrayIcon::RepeatsLastActivation(Activation kind) {
    const bool sameAction =
        kind == lastActivation_ ||
        (kind == Activation::ContextMenu && lastActivation_ == Activation::RightButtonUp);
    if (!sameAction) return false;
    // While the first is still handled (its menu open), or just after.
    return activationsRunning_ > 0 ||
           platform_.kernel.TickCount() - lastActivationEndedMs_ < kRepeatWithinMs;
}

Point TrayIcon::IconAnchor() {
    if (const auto place = platform_.shell.NotifyIconRect(record_.hWnd, record_.uID)) {
        return place->Centre();
    }
    return platform_.windows.GetCursorPos();
}

void TrayIcon::ReturnFocus() {
    if (!registered_) return;
    try {
        platform_.shell.NotifyIcon(NotifyMessage::SetFocus, record_);
    } catch (const std::exception& error) {
        const ErrorDetails details = DescribeError(error);
        RaiseError(trayerror::source::kReturnFocus, details.number, details.description);
    }
}

}  // namespace dustvale
