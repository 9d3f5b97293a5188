#pragma once

// ctlSysTrayBalloon: one notification-area icon on behalf of a host window. It keeps the
// shell's icon record, turns the shell's callback messages into events, shows balloon tips,
// blinks the icon and takes an instance number shared across processes.
//
// Life cycle, as a hosting form drives it:
//   construction            the control is created (its callback entry point is ready)
//   UserControl_ReadProperties()  loaded with its form: takes its ID and identifiers
//   ... properties and methods ...
//   destruction             UserControl_Terminate: icon removed, window unhooked

#include <cstdint>
#include <optional>

#include "platform/NotifyIconRecord.h"
#include "platform/Platform.h"
#include "platform/UserInterface.h"
#include "tray/TrayEvents.h"

namespace dustvale {

// What the hosting form gives the control.
struct TrayHost {
    Hwnd controlWindow = 0;  // the control's own window: the shell's callbacks arrive there
    Hwnd formWindow = 0;     // the containing form's window, brought to the foreground
    bool userMode = true;    // false only inside a form designer
};

class ctlSysTrayBalloon final : private MessageHandler {
public:
    ctlSysTrayBalloon(Platform& platform, const TrayHost& host, TrayEvents& events);
    ~ctlSysTrayBalloon();
    ctlSysTrayBalloon(const ctlSysTrayBalloon&) = delete;
    ctlSysTrayBalloon& operator=(const ctlSysTrayBalloon&) = delete;

    void UserControl_ReadProperties();

    // Properties.
    void IconPicture(const Picture& NewValue);
    void BlinkIconPicture(const Picture& NewValue);
    void Tooltip(const Text& Message128);
    Text Tooltip() const;
    std::int32_t ID() const { return ID_; }
    bool BlinkIsRunning() const { return BlinkRunning_; }

    // Methods.
    bool SysTrayAddIcon();
    // true, false, or empty (nullopt) when the icon was not registered.
    std::optional<bool> SysTrayRemoveIcon();
    bool BalloonTipShow(const Text& Title64Unicode, const Text& Message256Unicode,
                        std::int32_t Style, std::int32_t Timeout_mSec);
    void BalloonTipShowLast();
    void BalloonTipClose();
    void BlinkStart(std::int32_t CycleMilliSeconds);
    void BlinkStop();

    // The shell's callbacks and the control's timers, as the hooked window receives them.
    std::int32_t CallBackProc(Hwnd hwnd, std::int32_t uMsg, std::int32_t wParam,
                              std::int32_t lParam);

    // The record as the control keeps it (read-only, for the host and the tests).
    const NotifyIconRecord& IconData() const { return IconData_; }
    std::int32_t IconId() const { return IconId_; }

private:
    std::int32_t HandleMessage(Hwnd hwnd, std::int32_t message, std::int32_t wParam,
                               std::int32_t lParam) noexcept override;

    bool Initialize();
    bool SysTrayIconRefresh();
    void UserControl_Terminate();
    void HookWindow();
    void UnhookWindow();
    void TaskbarTimerStart();
    void TaskbarTimerStop();
    void TaskbarCheck();
    void BalloonTimerStart();
    void BalloonTimerStop();
    void BlinkTimerStart();
    void BlinkTimerStop();
    void BlinkSwapIcons();
    std::int32_t SingletonIncrement(const Text& name);
    std::int32_t SingletonDecrement(const Text& name);
    void RaisePgmError(const Text& source, std::int32_t code, const Text& description);

    Platform& platform_;
    TrayHost host_;
    TrayEvents& events_;

    NotifyIconRecord IconData_{};
    bool IconLoaded_ = false;
    HIcon StandardIcon_ = 0;
    HIcon BlinkIcon_ = 0;
    std::int32_t ID_ = 0;
    std::int32_t IconId_ = 0;
    std::int32_t TaskbarTimerId_ = 0;
    std::int32_t BalloonTimerId_ = 0;
    std::int32_t BlinkTimerId_ = 0;
    WindowProc PreviousWindowProc_ = 0;
    Hwnd TaskbarWindow_ = 0;
    bool TaskbarTimerRunning_ = false;
    Text LastBalloonTitle_;
    Text LastBalloonMessage_;
    std::int32_t LastBalloonStyle_ = 0;
    std::int32_t LastBalloonTimeout_ = 0;
    bool BalloonTimerRunning_ = false;
    bool BalloonClosing_ = false;
    std::int32_t BlinkCycle_ = 0;
    bool BlinkRunning_ = false;
    bool BlinkPhase_ = false;
    bool Counted_ = false;
    std::int16_t IncrementCalls_ = 0;
    std::int16_t DecrementCalls_ = 0;
};

// Copies text into one of the record's fixed buffers: at most size/2 - 1 code units, the rest
// NUL-filled; an empty text leaves the buffer as it was.
template <std::size_t N>
void StringToBuffer(const Text& text, char16_t (&buffer)[N]);

}  // namespace dustvale
