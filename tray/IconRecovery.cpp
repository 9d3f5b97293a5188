// Keeping the icon in the tray when the shell loses or refuses it: a new taskbar (Explorer
// started or restarted) gets the icon at once, and an add the tray refuses, at log-on or
// while a new taskbar gets ready, is tried again with growing waits for as long as the icon is
// registered.

#include <algorithm>

#include "tray/ErrorDetails.h"
#include "tray/TrayErrors.h"
#include "tray/TrayIcon.h"

namespace dustvale {

namespace {
constexpr const char16_t* kTaskbarClass = u"Shell_TrayWnd";
constexpr std::uint32_t kFirstRetryDelayMs = 1000;
// Once the tray takes icons again, the icon is back within this time.
constexpr std::uint32_t kLongestRetryDelayMs = 30000;
}  // namespace

bool TrayIcon::IsTaskbarCreated(std::int32_t message) const {
    return taskbarCreatedMessage_ != 0 && message == taskbarCreatedMessage_;
}

void TrayIcon::StartRegistrationRetry() {
    // The timer reaches the control only through its hook; without one, each update of the
    // icon tries the add instead.
    if (previousWindowProc_ == 0) return;
    if (registrationRetryDelayMs_ == 0) registrationRetryDelayMs_ = kFirstRetryDelayMs;
    if (StartTimer(iconId_, static_cast<std::int32_t>(registrationRetryDelayMs_),
                   registrationRetryRunning_)) {
        registrationRetryDelayMs_ = std::min(registrationRetryDelayMs_ * 2, kLongestRetryDelayMs);
    }
}

void TrayIcon::StopRegistrationRetry() {
    StopTimer(iconId_, registrationRetryRunning_);
    registrationRetryDelayMs_ = 0;
}

void TrayIcon::RetryRegistration() {
    if (!registrationRetryRunning_) return;
    // One shot at a time: the next wait is longer.
    StopTimer(iconId_, registrationRetryRunning_);
    if (!registered_) return;
    // The error's handler may end the control.
    const std::shared_ptr<bool> alive = alive_;
    try {
        if (RegisterAgain()) {
            registrationRetryDelayMs_ = 0;
            return;
        }
    } catch (const std::exception& error) {
        const ErrorDetails details = DescribeError(error);
        RaiseError(trayerror::source::kAddIcon, details.number, details.description);
        if (!*alive || !registered_) return;
    }
    StartRegistrationRetry();
}

void TrayIcon::OnTaskbarCreated() {
    if (!registered_) return;
    // This taskbar has its icon now: the taskbar watch need not register it once more.
    taskbarWindow_ = platform_.windows.FindWindow(kTaskbarClass);
    StopRegistrationRetry();
    const std::shared_ptr<bool> alive = alive_;
    try {
        if (RegisterAgain()) return;
    } catch (const std::exception& error) {
        const ErrorDetails details = DescribeError(error);
        RaiseError(trayerror::source::kAddIcon, details.number, details.description);
        if (!*alive || !registered_) return;
    }
    StartRegistrationRetry();
}

}  // namespace dustvale
