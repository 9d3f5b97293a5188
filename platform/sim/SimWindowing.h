#pragma once

// Simulated user32: windows with replaceable procedures, a message queue, timers on the
// virtual clock, the taskbar window, the foreground window and the cursor.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Windowing.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimWindowRecords.h"

namespace dustvale::sim {

class SimWindowing final : public Windowing {
public:
    explicit SimWindowing(SimClock& clock);

    // Windowing
    Hwnd CreateWindow(WindowKind kind, Hwnd parent, MessageHandler* handler) override;
    void DestroyWindow(Hwnd hwnd) override;
    WindowProc SubclassWindow(Hwnd hwnd, MessageHandler& handler) override;
    void RestoreWindowProc(Hwnd hwnd, WindowProc previous) override;
    LResult CallWindowProc(WindowProc proc, Hwnd hwnd, std::int32_t message, WParam wParam,
                           LParam lParam) override;
    LResult DefWindowProc(Hwnd hwnd, std::int32_t message, WParam wParam,
                          LParam lParam) override;
    std::uint32_t SetTimer(Hwnd hwnd, std::uint32_t id, std::uint32_t periodMs) override;
    bool KillTimer(Hwnd hwnd, std::uint32_t id) override;
    Hwnd FindWindow(const Text& className) override;
    // Names are case-insensitive atoms of at most 255 characters.
    std::int32_t RegisterWindowMessage(const Text& name) override;
    bool AllowMessageFromLowerIntegrity(Hwnd hwnd, std::int32_t message) override;
    bool SetForegroundWindow(Hwnd hwnd) override;
    bool MoveWindow(Hwnd hwnd, Point topLeftPixels) override;
    bool PostMessage(Hwnd hwnd, std::int32_t message, WParam wParam, LParam lParam) override;
    LResult SendMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                        LParam lParam) override;
    std::int32_t ScreenDpi() override;
    std::int32_t GetDpiForWindow(Hwnd hwnd) override;
    std::int32_t SmallIconSizeForDpi(std::int32_t dpi) override;
    Point GetCursorPos() override;
    Hwnd GetDesktopWindow() override;
    Hwnd GetWindow(Hwnd hwnd, WindowRelation relation) override;
    // Every window that CreateWindow makes has the class kProgramWindowClass.
    Text GetClassName(Hwnd hwnd) override;
    std::vector<Hwnd> FindWindows(const Text& className) override;
    Text DesktopName() override;  // "Default" unless set
    Text SendGetText(Hwnd hwnd, std::int32_t bufferChars) override;
    std::int32_t RunMessageLoop() override;
    void PostQuitMessage(std::int32_t exitCode) override;
    void ProcessPendingMessages() override;

    // --- for tests -----------------------------------------------------------------------
    struct TimerInfo {
        Hwnd hwnd = 0;
        std::uint32_t id = 0;
        std::uint32_t periodMs = 0;
        std::uint64_t nextDue = 0;
    };

    bool Exists(Hwnd hwnd) const;
    WindowKind KindOf(Hwnd hwnd) const;
    bool IsVisible(Hwnd hwnd) const;  // hidden owners and their children are never visible
    std::optional<Point> PositionOf(Hwnd hwnd) const;
    WindowProc CurrentProc(Hwnd hwnd) const;
    std::vector<TimerInfo> Timers() const;  // the timers now running
    bool TimerRunning(Hwnd hwnd, std::uint32_t id) const;
    Hwnd Foreground() const;
    // Every SetForegroundWindow call, in order.
    const std::vector<Hwnd>& ForegroundCalls() const;

    // A message the system sent a window on its own, as the window's procedure received it.
    struct SystemMessage {
        std::int32_t message = 0;
        WParam wParam = 0;
        LParam lParam = 0;  // an address in it was valid only while the message was handled
        friend bool operator==(const SystemMessage&, const SystemMessage&) = default;
    };
    // What the system sent the window, in order and as on Windows: creation (WM_NCCREATE,
    // WM_NCCALCSIZE, WM_CREATE), MoveWindow (WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, and the
    // WM_MOVE of the default procedure), SetForegroundWindow (WM_WINDOWPOSCHANGING and
    // WM_WINDOWPOSCHANGED as the window comes to the top, then WM_NCACTIVATE and WM_ACTIVATE to
    // the window losing activation, then to this one), SetWindowText (WM_SETTEXT) and
    // DestroyWindow (WM_DESTROY). Kept after the window is gone. Messages that the program
    // sends or posts, and timers, are not in it.
    std::vector<SystemMessage> SystemMessages(Hwnd hwnd) const;

    // The taskbar ("Shell_TrayWnd"). One exists from the start; each CreateTaskbar gives a new
    // handle. While there is none the tray refuses every icon, and a new taskbar starts with an
    // empty tray, as when Explorer restarts (SimShell listens through these two hooks). A new
    // taskbar then tells every top-level window so with the registered message
    // "TaskbarCreated", which arrives with the next messages the program takes; the shell runs
    // at medium integrity, so an elevated program's window hears it only once it let the
    // message through (AllowMessageFromLowerIntegrity).
    Hwnd CreateTaskbar();
    void DestroyTaskbar();
    Hwnd Taskbar() const;
    std::function<void()> OnTaskbarCreated;    // set by SimWindows to reset the tray
    std::function<void()> OnTaskbarDestroyed;  // set by SimWindows: the tray's icons vanish
    std::function<bool()> ProcessElevated;     // set by SimWindows from the kernel

    // A top-level window of another program (a tooltip, a balloon, ...) with its class name
    // and text, put on top of the z-order; it was made before, so it hears no creation. Its
    // procedure is `handler`, or the default one, which answers the text messages.
    Hwnd CreateForeignWindow(const Text& className, const Text& text,
                             MessageHandler* handler = nullptr);
    void SetWindowText(Hwnd hwnd, const Text& text) override;
    // The program behind a foreign window stops answering: what is sent to the window is not
    // handled, and each send returns 0 after its second of time-out on the virtual clock
    // (during which nothing else of this program runs, timers included).
    void Hang(Hwnd hwnd);

    void SetCursorPos(Point p);
    void SetDesktopName(const Text& name);
    // Whether the window lets `message` through from processes of lower integrity.
    bool AllowsFromLowerIntegrity(Hwnd hwnd, std::int32_t message) const;
    // The desktop as the user logged on at this scaling: the system's DPI, and the main
    // monitor's.
    void SetScreenDpi(std::int32_t dpi);

    // Monitors (SimWindowingDpi.cpp). The main one, 1920 x 1080 at (0, 0), exists from the
    // start at the system's DPI. A window lies on the monitor that holds its top-left corner,
    // else on the nearest one, as MonitorFromWindow finds it; a child window lies on its
    // top-level window's. The program is aware of each monitor's DPI, as its manifest says,
    // and so is the shell's taskbar: GetDpiForWindow answers with the window's monitor's.
    std::size_t AddMonitor(Rect bounds, std::int32_t dpi);  // returns its number
    // The user changes a monitor's scaling: every top-level window on it hears WM_DPICHANGED
    // with the new DPI. The system's DPI stays that of the log-on. A window moved to a
    // monitor of another DPI hears WM_DPICHANGED too, after the move.
    void SetMonitorDpi(std::size_t monitor, std::int32_t dpi);
    // WM_SETTINGCHANGE with `action` (an SPI_ value) sent to every top-level window, as
    // SystemParametersInfo broadcasts a changed setting.
    void BroadcastSettingChange(WParam action);

    // Makes the next n SubclassWindow / SetTimer calls fail.
    void FailNextSubclass(int n = 1);
    void FailNextSetTimer(int n = 1);

    // Used by SimWindows::Advance / Pump. AdvanceTo never moves the clock backwards: when a
    // nested call (a timer handler or a modal script) has already gone further, it only fires
    // what is still due.
    void AdvanceTo(std::uint64_t time);
    void DispatchPosted();
    std::size_t PendingMessages() const;
    bool QuitPosted() const;  // PostQuitMessage was called at some point
    std::int32_t QuitCode() const;
    // A limit on the virtual time RunMessageLoop may spend before it gives up (test safety);
    // 24 hours by default. RunMessageLoop throws std::runtime_error past the limit, and when
    // nothing can ever happen again (no timer, no scripted action, no message).
    void SetRunLimit(std::uint64_t ms);
    // Actions run at a given virtual time (a script of the user's acts), by RunMessageLoop and
    // by AdvanceTo, in time order with the timers (an action before a timer due at the same
    // time). An action for a time already past runs at the next opportunity.
    void At(std::uint64_t time, std::function<void()> action);

private:
    struct Window {
        WindowKind kind = WindowKind::HiddenOwner;
        Hwnd parent = 0;
        WindowProc proc = 0;
        Point position;
        std::u16string className;
        bool visible = false;
        std::u16string text;
        bool destroying = false;  // hearing WM_DESTROY
        bool subclassed = false;  // one subclass at a time, as on the Win32 side
        bool hung = false;        // another program's window that no longer answers
        std::vector<std::int32_t> allowedFromLowerIntegrity;
    };
    // The shell's taskbar: found by its class, shown.
    static Window TaskbarWindow();
    struct Posted {
        Hwnd hwnd;
        std::int32_t message;
        WParam wParam;
        LParam lParam;
    };
    struct Timer {
        std::uint32_t periodMs = 0;
        std::uint64_t nextDue = 0;
        std::uint64_t order = 0;  // set order breaks ties between timers due together
    };
    struct Action {
        std::uint64_t time = 0;
        std::uint64_t order = 0;
        std::function<void()> run;
    };

    // How long a send waits for a window of another program, as the Win32 side does.
    static constexpr std::uint64_t kSendTimeoutMs = 1000;

    Hwnd NewHandle();
    // What the shell sends every top-level window (SendNotifyMessage to HWND_BROADCAST).
    void BroadcastFromShell(std::int32_t message);
    // A send to a hung window: the time-out passes; true when it did.
    bool WaitedOutHungWindow(Hwnd hwnd);
    WindowProc NewProc(MessageHandler* handler);
    LResult Dispatch(Hwnd hwnd, std::int32_t message, WParam wParam, LParam lParam);
    // Dispatch, written down in the window's log of system messages.
    LResult SendSystemMessage(Hwnd hwnd, std::int32_t message, WParam wParam, LParam lParam);
    // The default window procedure.
    LResult DefaultProc(Hwnd hwnd, std::int32_t message, WParam wParam, LParam lParam);
    // The monitor a window lies on now; the main one for a window that does not exist.
    std::size_t MonitorOf(Hwnd hwnd) const;
    // Each top-level window with its DPI now.
    std::vector<std::pair<Hwnd, std::int32_t>> TopLevelDpis() const;
    // Sends WM_DPICHANGED to each window of `before` that still exists and whose DPI is no
    // longer the one given beside it.
    void TellDpiChanges(const std::vector<std::pair<Hwnd, std::int32_t>>& before);
    // Fires the earliest timer or action due at or before `limit`; false when none is due.
    bool FireOneDue(std::uint64_t limit);
    std::optional<std::uint64_t> NextEventTime() const;

    SimClock& clock_;
    std::map<Hwnd, Window> windows_;
    // Every procedure ever installed stays callable through its identity, as on Windows.
    static constexpr WindowProc kDefaultProc = 1;  // the default window procedure
    std::map<WindowProc, MessageHandler*> procs_;
    WindowProc nextProc_ = 2;
    Hwnd nextHandle_ = 0x00010010;
    std::deque<Posted> queue_;
    std::map<std::pair<Hwnd, std::uint32_t>, Timer> timers_;
    std::uint64_t nextOrder_ = 0;
    std::vector<Action> actions_;
    Hwnd taskbar_ = 0;
    std::map<Text, std::int32_t> registeredMessages_;  // keyed by the upper-case name
    std::int32_t nextRegisteredMessage_ = 0xC000;
    Hwnd foreground_ = 0;
    std::vector<Hwnd> foregroundCalls_;
    std::map<Hwnd, std::vector<SystemMessage>> systemMessages_;
    Point cursor_{0, 0};
    Text desktopName_ = u"Default";
    std::int32_t dpi_ = 96;
    struct Monitor {
        Rect bounds;
        std::int32_t dpi = 96;
    };
    std::vector<Monitor> monitors_{Monitor{Rect{0, 0, 1920, 1080}, 96}};
    int failSubclass_ = 0;
    int failSetTimer_ = 0;
    bool quitPending_ = false;
    bool quitEver_ = false;
    std::int32_t quitCode_ = 0;
    std::uint64_t runLimit_ = 24ull * 60 * 60 * 1000;
};

}  // namespace dustvale::sim
