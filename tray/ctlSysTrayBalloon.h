#pragma once

// ctlSysTrayBalloon: one notification-area icon on behalf of a host window. It keeps the
// shell's icon record, turns the shell's callback messages into events, shows balloon tips,
// blinks the icon and takes an instance number shared across processes.
//
// Life cycle, as a hosting form drives it:
//   construction            the control is created (its callback entry point is ready)
//   UserControl_ReadProperties()  loaded with its form: takes its ID and identifiers
//   ... properties and methods ...
//   destruction             UserControl_Terminate: icon removed, window unhooked, timers
//                           stopped
//
// Everything runs on the host's user-interface thread. Events run the host's handlers
// synchronously, and a handler may call back into the control (remove the icon, show a
// balloon, ...). A host must not destroy the control from inside one of its events; it
// should defer that (post itself a message) until the event has returned.

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/NotifyIconRecord.h"
#include "platform/Platform.h"
#include "platform/UserInterface.h"
#include "tray/StringToBuffer.h"
#include "tray/TrayEvents.h"

namespace dustvale {

// What the hosting form gives the control.
struct TrayHost {
    Hwnd controlWindow = 0;  // the control's own window: the shell's callbacks arrive there
    Hwnd formWindow = 0;     // the containing form's window, brought to the foreground
    bool userMode = true;    // false only inside a form designer
};

// The name of the block of shared memory that numbers the instances of all processes.
inline constexpr const char16_t* kInstanceCounterName = u"Fernwick_ctlSysTrayBalloon";

class ctlSysTrayBalloon final : private MessageHandler {
public:
    // UserControl_Initialize: the control's window procedure (this object) is ready.
    ctlSysTrayBalloon(Platform& platform, const TrayHost& host, TrayEvents& events);
    // UserControl_Terminate.
    ~ctlSysTrayBalloon();
    ctlSysTrayBalloon(const ctlSysTrayBalloon&) = delete;
    ctlSysTrayBalloon& operator=(const ctlSysTrayBalloon&) = delete;

    // Loaded with its form: takes the instance number and derives the icon and timer ids.
    // Throws std::overflow_error when the number gives ids outside 32 bits.
    void UserControl_ReadProperties();

    // Properties. Errors of the picture object reach the caller.
    void IconPicture(const Picture& NewValue);
    void BlinkIconPicture(const Picture& NewValue);
    void Tooltip(const Text& Message128);
    // The whole tooltip buffer: 128 code units, the text followed by NULs.
    Text Tooltip() const;
    std::int32_t ID() const { return ID_; }
    bool BlinkIsRunning() const { return BlinkRunning_; }
    // The icon is registered with the shell (added and not removed since).
    bool IconLoaded() const { return IconLoaded_; }

    // Methods.
    bool SysTrayAddIcon();
    // true, false (an unexpected error), or empty (nullopt) when the icon was not registered.
    std::optional<bool> SysTrayRemoveIcon();
    bool BalloonTipShow(const Text& Title64Unicode, const Text& Message256Unicode,
                        std::int32_t Style, std::int32_t Timeout_mSec);
    void BalloonTipShowLast();
    void BalloonTipClose();
    void BlinkStart(std::int32_t CycleMilliSeconds);
    void BlinkStop();

    // The counter shared by the instances of all processes, in the named block `name`:
    // each runs once per instance (a second call reports -3 and answers 0). The new count,
    // or 0 when the counter fails.
    std::int32_t SingletonIncrement(const Text& name);
    std::int32_t SingletonDecrement(const Text& name);

    // The shell's callbacks and the control's timers, as the hooked window receives them.
    // Never throws: an error ends the handling of that message, which then returns 0.
    LResult CallBackProc(Hwnd hwnd, std::int32_t uMsg, WParam wParam, LParam lParam) noexcept;

    // The record as the control keeps it (read-only, for the host and the tests).
    const NotifyIconRecord& IconData() const { return IconData_; }
    std::int32_t IconId() const { return IconId_; }
    std::int32_t TaskbarTimerId() const { return TaskbarTimerId_; }
    std::int32_t BalloonTimerId() const { return BalloonTimerId_; }
    std::int32_t BlinkTimerId() const { return BlinkTimerId_; }

private:
    LResult HandleMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                          LParam lParam) noexcept override;

    // Registration.
    bool Initialize();
    bool SysTrayIconRefresh();
    void UserControl_Terminate();

    // Callback window, events and timers.
    LResult HandleCallback(Hwnd hwnd, std::int32_t uMsg, WParam wParam, LParam lParam);
    void HandleTimer(WParam timerId);
    void HookWindow();
    void UnhookWindow();
    void TaskbarTimerStart();
    void TaskbarTimerStop();
    void TaskbarCheck();
    void Foreground();

    // Balloon tips.
    void BalloonTimerStart();
    void BalloonTimerStop();
    Hwnd BalloonWindowFind(Text searchText);  // a copy: messages run during the walk

    // Blinking.
    void BlinkTimerStart();
    void BlinkTimerStop();
    void BlinkSwapIcons();

    void RaisePgmError(const Text& source, std::int32_t code, const Text& description);

    // The three timers share one start/stop pattern.
    bool StartTimer(std::int32_t id, std::int32_t periodMs, bool& running);
    void StopTimer(std::int32_t id, bool& running);

    Platform& platform_;
    TrayHost host_;
    TrayEvents& events_;
    // Cleared when the control is destroyed, so that code still on the stack after an event
    // handler can tell that `this` is gone and must not be touched.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

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

}  // namespace dustvale
