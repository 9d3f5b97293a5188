#pragma once

// TrayIcon: one notification-area icon on behalf of a host window. It keeps the shell's icon
// record, turns the shell's callback messages into events, shows balloon tips, blinks the icon
// and takes an instance number shared across processes.
//
// Life cycle, as a host drives it:
//   construction            the control is created (its window procedure is ready)
//   TakeInstanceNumber()    takes its instance number and derives its identifiers
//   ... setters and commands ...
//   destruction             icon removed, window unhooked, timers stopped, number given back
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

// What the host gives the control.
struct TrayHost {
    Hwnd controlWindow = 0;  // the control's own window: the shell's callbacks arrive there
    Hwnd ownerWindow = 0;    // the host's window, brought forward before a mouse-button event
    // false: the icon is registered, but the control's window is neither hooked nor given
    // timers, so no callback, balloon time-out, blink or taskbar watch ever reaches the control
    bool hookWindow = true;
};

// The name of the block of shared memory that numbers the instances of all processes (its lock
// adds "_Lock"). Instances of other builds running beside this one open it by this very name.
inline constexpr const char16_t* kInstanceCounterName = u"Fernwick_ctlSysTrayBalloon";

class TrayIcon final : private MessageHandler {
public:
    // The control's window procedure (this object) is ready from here on.
    TrayIcon(Platform& platform, const TrayHost& host, TrayEvents& events);
    // Teardown: the icon removed, the window unhooked, the instance count decremented.
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Takes the instance number and derives the icon and timer ids, once, before the icon is
    // added. Throws std::overflow_error when the number gives ids outside 32 bits.
    void TakeInstanceNumber();

    // Setters. Errors of the picture object reach the caller.
    void SetIcon(const Picture& picture);
    void SetBlinkIcon(const Picture& picture);
    void SetTooltip(const Text& text);
    // The whole tooltip buffer: 128 code units, the text followed by NULs.
    Text Tooltip() const;
    std::int32_t InstanceNumber() const { return instanceNumber_; }
    bool IsBlinking() const { return blinking_; }
    // The icon is registered with the shell (added and not removed since).
    bool IsRegistered() const { return registered_; }

    // Commands.
    bool AddIcon();
    // true, false (an unexpected error), or empty (nullopt) when the icon was not registered.
    std::optional<bool> RemoveIcon();
    bool ShowBalloon(const Text& title, const Text& message, std::int32_t style,
                     std::int32_t timeoutMs);
    void ShowLastBalloon();
    void CloseBalloon();
    void StartBlinking(std::int32_t cycleMs);
    void StopBlinking();

    // The registered message "TaskbarCreated", which the shell broadcasts to every top-level
    // window when a taskbar is created (Explorer started or restarted). The control's window
    // is a child and never hears it: the host's top-level window hands it to
    // OnTaskbarCreated. The control lets it through to that window when the process runs
    // elevated.
    bool IsTaskbarCreated(std::int32_t message) const;
    // A new taskbar knows no icons: a registered icon is added again at once, and again
    // later if the tray refuses it.
    void OnTaskbarCreated();
    // Gives the keyboard focus back to the notification area (NIM_SETFOCUS), as when a menu
    // opened from the keyboard closes without a command.
    void ReturnFocus();

    // The counter shared by the instances of all processes, in the named block `name`:
    // each runs once per instance (a second call reports -3 and answers 0). The new count,
    // or 0 when the counter fails.
    std::int32_t IncrementInstanceCount(const Text& name);
    std::int32_t DecrementInstanceCount(const Text& name);

    // The shell's callbacks and the control's timers, as the hooked window receives them.
    // Never throws: an error ends the handling of that message, which then returns 0.
    LResult OnWindowMessage(Hwnd hwnd, std::int32_t message, WParam wParam, LParam lParam) noexcept;

    // The record as the control keeps it (read-only, for the host and the tests).
    const NotifyIconRecord& Record() const { return record_; }
    std::int32_t IconId() const { return iconId_; }
    std::int32_t TaskbarTimerId() const { return taskbarTimerId_; }
    std::int32_t BalloonTimerId() const { return balloonTimerId_; }
    std::int32_t BlinkTimerId() const { return blinkTimerId_; }

private:
    LResult HandleMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                          LParam lParam) noexcept override;

    // Registration.
    bool FillRecord();
    bool RefreshIcon();
    void Teardown();

    // Keeping the icon in the tray: a refused add is retried, first after a second, then
    // after twice the previous wait, up to half a minute, for as long as the icon is
    // registered. The timer that does it bears the icon's own id.
    bool AddToShell();     // NIM_ADD, then NIM_SETVERSION once the tray took the icon
    bool RegisterAgain();  // NIM_MODIFY when the tray still knows the icon, else NIM_ADD
    void StartRegistrationRetry();
    void StopRegistrationRetry();
    void RetryRegistration();

    // The notifications that may open a menu, told apart from the shell's repeats of one
    // action.
    enum class Activation { None, RightButtonUp, KeySelect, ContextMenu };
    class ActivationScope;
    void RaiseActivation(Activation kind);
    bool RepeatsLastActivation(Activation kind);
    Point IconAnchor();

    // Callback window, events and timers.
    LResult RouteMessage(Hwnd hwnd, std::int32_t message, WParam wParam, LParam lParam);
    void HandleTimer(WParam timerId);
    void HookWindow();
    void UnhookWindow();
    void StartTaskbarTimer();
    void StopTaskbarTimer();
    void CheckTaskbar();
    void BringOwnerForward();

    // Balloon tips.
    void StartBalloonTimer();
    void StopBalloonTimer();
    Hwnd FindBalloonWindow(Text searchText);  // a copy: messages run during the walk

    // Blinking.
    void StartBlinkTimer();
    void StopBlinkTimer();
    void SwapBlinkIcons();

    void RaiseError(const Text& source, std::int32_t code, const Text& description);

    // The three timers share one start/stop pattern.
    bool StartTimer(std::int32_t id, std::int32_t periodMs, bool& running);
    void StopTimer(std::int32_t id, bool& running);

    Platform& platform_;
    TrayHost host_;
    TrayEvents& events_;
    // Cleared when the control is destroyed, so that code still on the stack after an event
    // handler can tell that `this` is gone and must not be touched.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

    NotifyIconRecord record_{};
    bool registered_ = false;
    HIcon standardIcon_ = 0;
    HIcon blinkIcon_ = 0;
    std::int32_t instanceNumber_ = 0;
    std::int32_t iconId_ = 0;
    std::int32_t taskbarTimerId_ = 0;
    std::int32_t balloonTimerId_ = 0;
    std::int32_t blinkTimerId_ = 0;
    WindowProc previousWindowProc_ = 0;
    Hwnd taskbarWindow_ = 0;
    bool taskbarTimerRunning_ = false;
    Text lastBalloonTitle_;
    Text lastBalloonMessage_;
    std::int32_t lastBalloonStyle_ = 0;
    std::int32_t lastBalloonTimeout_ = 0;
    bool balloonTimerRunning_ = false;
    bool balloonClosing_ = false;
    std::int32_t blinkCycle_ = 0;
    bool blinking_ = false;
    bool blinkPhase_ = false;
    bool counted_ = false;
    std::int16_t incrementCalls_ = 0;
    std::int16_t decrementCalls_ = 0;
    std::int32_t taskbarCreatedMessage_ = 0;
    bool registrationRetryRunning_ = false;
    std::uint32_t registrationRetryDelayMs_ = 0;
    Activation lastActivation_ = Activation::None;
    int activationsRunning_ = 0;
    std::uint64_t lastActivationEndedMs_ = 0;
};

}  // namespace dustvale
