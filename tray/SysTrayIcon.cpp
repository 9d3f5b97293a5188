// Registration of the tray icon: the record, its picture and tooltip, adding and removing
// the icon, and the control's life cycle.

#include <limits>
#include <stdexcept>

#include "tray/CaughtError.h"
#include "tray/TrayErrors.h"
#include "tray/ctlSysTrayBalloon.h"

namespace dustvale {

namespace {
constexpr std::uint32_t kRecordSize = 936;
constexpr std::uint32_t kShownState = 2;          // NIS_SHAREDICON; dwStateMask stays 0
constexpr std::uint32_t kShellVersionAsked = 3;   // NOTIFYICON_VERSION
constexpr std::uint32_t kIconFlags = nif::kMessage | nif::kIcon | nif::kTip;
constexpr std::int32_t kFirstIconId = 1000;
constexpr std::int32_t kIdsPerInstance = 4;  // the icon and its three timers
}  // namespace

ctlSysTrayBalloon::ctlSysTrayBalloon(Platform& platform, const TrayHost& host,
                                     TrayEvents& events)
    : platform_(platform), host_(host), events_(events) {}

ctlSysTrayBalloon::~ctlSysTrayBalloon() {
    *alive_ = false;
    UserControl_Terminate();
}

void ctlSysTrayBalloon::UserControl_ReadProperties() {
    Counted_ = false;
    ID_ = SingletonIncrement(kInstanceCounterName);
    const std::int64_t iconId =
        (static_cast<std::int64_t>(ID_) - 1) * kIdsPerInstance + kFirstIconId;
    if (iconId < std::numeric_limits<std::int32_t>::min() ||
        iconId + kIdsPerInstance - 1 > std::numeric_limits<std::int32_t>::max()) {
        throw std::overflow_error("instance number out of range for icon identifiers");
    }
    IconId_ = static_cast<std::int32_t>(iconId);
    TaskbarTimerId_ = IconId_ + 1;
    BalloonTimerId_ = IconId_ + 2;
    BlinkTimerId_ = IconId_ + 3;
}

void ctlSysTrayBalloon::UserControl_Terminate() {
    if (IconLoaded_) {
        SysTrayRemoveIcon();
    }
    UnhookWindow();
    if (Counted_) {
        SingletonDecrement(kInstanceCounterName);
    }
}

void ctlSysTrayBalloon::IconPicture(const Picture& NewValue) {
    const HIcon handle = NewValue.Handle();
    if (handle == StandardIcon_) {
        return;
    }
    StandardIcon_ = handle;
    // Shown at once, also in the middle of blinking.
    IconData_.hIcon = handle;
    if (IconLoaded_) {
        SysTrayIconRefresh();
    }
}

void ctlSysTrayBalloon::Tooltip(const Text& Message128) {
    StringToBuffer(Message128, IconData_.szTip);
    if (IconLoaded_) {
        SysTrayIconRefresh();
    }
}

Text ctlSysTrayBalloon::Tooltip() const {
    return Text(IconData_.szTip, std::size(IconData_.szTip));
}

bool ctlSysTrayBalloon::Initialize() {
    if (StandardIcon_ == 0) {
        // No picture to show: there is no error to report, hence number 0 and no text.
        RaisePgmError(u"Initialize", 0, u"");
        return false;
    }
    // Filling the record takes values the control already holds: nothing here can fail.
    IconData_.cbSize = kRecordSize;
    IconData_.hWnd = host_.controlWindow;
    IconData_.uID = static_cast<std::uint32_t>(IconId_);
    IconData_.uCallbackMessage = static_cast<std::uint32_t>(msg::kTrayCallback);
    IconData_.hIcon = StandardIcon_;
    IconData_.dwState = kShownState;
    IconData_.uTimeoutOrVersion = kShellVersionAsked;
    return true;
}

bool ctlSysTrayBalloon::SysTrayAddIcon() {
    if (IconLoaded_) {
        RaisePgmError(u"SysTrayAddIcon", trayerror::kWrongState,
                      trayerror::kNoStandardIconText);
        return false;
    }
    if (!Initialize()) {
        return false;
    }
    try {
        IconData_.uFlags = kIconFlags;
        if (platform_.shell.NotifyIcon(NotifyMessage::Add, IconData_)) {
            platform_.shell.NotifyIcon(NotifyMessage::SetVersion, IconData_);
        }
        // A refused add still counts as registered: the taskbar watch adds it again once a
        // taskbar exists.
        HookWindow();
        IconLoaded_ = true;
        return true;
    } catch (const std::exception& error) {
        const CaughtError caught = DescribeError(error);
        RaisePgmError(u"SysTrayAddIcon", caught.number, caught.description);
        return false;
    }
}

bool ctlSysTrayBalloon::SysTrayIconRefresh() {
    if (!IconLoaded_) {
        RaisePgmError(u"SysTrayIconRefresh", trayerror::kWrongState,
                      trayerror::kNotLoadedText);
        return false;
    }
    try {
        IconData_.uFlags = kIconFlags;
        platform_.shell.NotifyIcon(NotifyMessage::Modify, IconData_);
        return true;
    } catch (const std::exception& error) {
        const CaughtError caught = DescribeError(error);
        RaisePgmError(u"SysTrayIconRefresh", caught.number, caught.description);
        return false;
    }
}

std::optional<bool> ctlSysTrayBalloon::SysTrayRemoveIcon() {
    if (!IconLoaded_) {
        RaisePgmError(u"SysTrayRemoveIcon", trayerror::kWrongState, trayerror::kNotLoadedText);
        return std::nullopt;
    }
    try {
        BalloonTimerStop();
        BlinkTimerStop();
        platform_.shell.NotifyIcon(NotifyMessage::Delete, IconData_);
        IconLoaded_ = false;
        UnhookWindow();
        return true;
    } catch (const std::exception& error) {
        const CaughtError caught = DescribeError(error);
        RaisePgmError(u"SysTrayRemoveIcon", caught.number, caught.description);
        return false;
    }
}

void ctlSysTrayBalloon::RaisePgmError(const Text& source, std::int32_t code,
                                      const Text& description) {
    // The handler gets const references: what it does cannot reach the control's values.
    events_.PgmError(source, code, description);
}

}  // namespace dustvale
