// Registration of the tray icon: the record, its picture and tooltip, adding and removing
// the icon, and the control's life cycle.

#include <limits>
#include <stdexcept>

#include "tray/ErrorDetails.h"
#include "tray/TrayErrors.h"
#include "tray/TrayIcon.h"

namespace dustvale {

namespace {
constexpr std::uint32_t kRecordSize = 936;
constexpr std::uint32_t kShownState = 2;         // NIS_SHAREDICON; dwStateMask stays 0
constexpr std::uint32_t kShellVersionAsked = 3;  // NOTIFYICON_VERSION
constexpr std::uint32_t kIconFlags = nif::kMessage | nif::kIcon | nif::kTip;
constexpr std::int32_t kFirstIconId = 1000;
constexpr std::int32_t kIdsPerInstance = 4;  // the icon and its three timers
}  // namespace

TrayIcon::TrayIcon(Platform& platform, const TrayHost& host, TrayEvents& events)
    : platform_(platform), host_(host), events_(events) {
    taskbarCreatedMessage_ = platform_.windows.RegisterWindowMessage(u"TaskbarCreated");
    // The shell runs at a lower integrity than an elevated program, whose windows the system
    // keeps its broadcasts away from unless they ask for them.
    if (taskbarCreatedMessage_ != 0 && platform_.kernel.RunsElevated()) {
        platform_.windows.AllowMessageFromLowerIntegrity(host_.ownerWindow,
                                                         taskbarCreatedMessage_);
    }
}

TrayIcon::~TrayIcon() {
    *alive_ = false;
    Teardown();
}

void TrayIcon::TakeInstanceNumber() {
    counted_ = false;
    instanceNumber_ = IncrementInstanceCount(kInstanceCounterName);
    const std::int64_t iconId =
        (static_cast<std::int64_t>(instanceNumber_) - 1) * kIdsPerInstance + kFirstIconId;
    if (iconId < std::numeric_limits<std::int32_t>::min() ||
        iconId + kIdsPerInstance - 1 > std::numeric_limits<std::int32_t>::max()) {
        throw std::overflow_error("instance number out of range for icon identifiers");
    }
    iconId_ = static_cast<std::int32_t>(iconId);
    taskbarTimerId_ = iconId_ + 1;
    balloonTimerId_ = iconId_ + 2;
    blinkTimerId_ = iconId_ + 3;
}

void TrayIcon::Teardown() {
    if (registered_) {
        RemoveIcon();
    }
    UnhookWindow();
    if (counted_) {
        DecrementInstanceCount(kInstanceCounterName);
    }
}

void TrayIcon::SetIcon(const Picture& picture) {
    const HIcon handle = picture.Handle();
    if (handle == standardIcon_) {
        return;
    }
    standardIcon_ = handle;
    // Shown at once, also in the middle of blinking.
    record_.hIcon = handle;
    if (registered_) {
        RefreshIcon();
    }
}

void TrayIcon::SetTooltip(const Text& text) {
    StringToBuffer(text, record_.szTip);
    if (registered_) {
        RefreshIcon();
    }
}

Text TrayIcon::Tooltip() const { return Text(record_.szTip, std::size(record_.szTip)); }

bool TrayIcon::FillRecord() {
    if (standardIcon_ == 0) {
        // No picture to show: there is no error to report, hence number 0 and no text.
        RaiseError(trayerror::source::kFillRecord, 0, u"");
        return false;
    }
    // Filling the record takes values the control already holds: nothing here can fail.
    record_.cbSize = kRecordSize;
    record_.hWnd = host_.controlWindow;
    record_.uID = static_cast<std::uint32_t>(iconId_);
    record_.uCallbackMessage = static_cast<std::uint32_t>(msg::kTrayCallback);
    record_.hIcon = standardIcon_;
    record_.dwState = kShownState;
    record_.uTimeoutOrVersion = kShellVersionAsked;
    return true;
}

bool TrayIcon::AddIcon() {
    if (registered_) {
        RaiseError(trayerror::source::kAddIcon, trayerror::kWrongState,
                   trayerror::kNoStandardIconText);
        return false;
    }
    if (!FillRecord()) {
        return false;
    }
    try {
        const bool shown = AddToShell();
        // A refused add still counts as registered: the shell may be starting (at log-on) or
        // its new taskbar not yet take icons, and the add is retried until it does.
        HookWindow();
        registered_ = true;
        if (!shown) StartRegistrationRetry();
        return true;
    } catch (const std::exception& error) {
        const ErrorDetails details = DescribeError(error);
        RaiseError(trayerror::source::kAddIcon, details.number, details.description);
        return false;
    }
}

bool TrayIcon::AddToShell() {
    record_.uFlags = kIconFlags;
    if (!platform_.shell.NotifyIcon(NotifyMessage::Add, record_)) return false;
    platform_.shell.NotifyIcon(NotifyMessage::SetVersion, record_);
    return true;
}

bool TrayIcon::RegisterAgain() {
    // An add that timed out may have reached the tray after all, which then refuses a second
    // add of the same icon: an update tells whether the tray still knows it.
    record_.uFlags = kIconFlags;
    if (platform_.shell.NotifyIcon(NotifyMessage::Modify, record_)) {
        platform_.shell.NotifyIcon(NotifyMessage::SetVersion, record_);
        return true;
    }
    return AddToShell();
}

bool TrayIcon::RefreshIcon() {
    if (!registered_) {
        RaiseError(trayerror::source::kRefreshIcon, trayerror::kWrongState,
                   trayerror::kNotLoadedText);
        return false;
    }
    try {
        record_.uFlags = kIconFlags;
        if (platform_.shell.NotifyIcon(NotifyMessage::Modify, record_)) {
            // A retry was waiting while the icon showed: an add the shell answered too late
            // had gone through, without its version.
            if (registrationRetryRunning_) {
                StopRegistrationRetry();
                platform_.shell.NotifyIcon(NotifyMessage::SetVersion, record_);
            }
        } else if (!registrationRetryRunning_ && !AddToShell()) {
            // The shell no longer knows the icon (Explorer restarted) and will not take it
            // yet either.
            StartRegistrationRetry();
        }
        return true;
    } catch (const std::exception& error) {
        const ErrorDetails details = DescribeError(error);
        RaiseError(trayerror::source::kRefreshIcon, details.number, details.description);
        return false;
    }
}

std::optional<bool> TrayIcon::RemoveIcon() {
    if (!registered_) {
        RaiseError(trayerror::source::kRemoveIcon, trayerror::kWrongState,
                   trayerror::kNotLoadedText);
        return std::nullopt;
    }
    try {
        StopBalloonTimer();
        StopBlinkTimer();
        platform_.shell.NotifyIcon(NotifyMessage::Delete, record_);
        registered_ = false;
        UnhookWindow();
        return true;
    } catch (const std::exception& error) {
        const ErrorDetails details = DescribeError(error);
        RaiseError(trayerror::source::kRemoveIcon, details.number, details.description);
        return false;
    }
}

void TrayIcon::RaiseError(const Text& source, std::int32_t code, const Text& description) {
    // The handler gets const references: what it does cannot reach the control's values.
    events_.OnError(source, code, description);
}

}  // namespace dustvale
