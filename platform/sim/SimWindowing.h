#pragma once

// Simulated user32: windows with replaceable procedures, a message queue, timers on the
// virtual clock, the taskbar window, the foreground window and the cursor.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "platform/Windowing.h"
#include "platform/sim/SimClock.h"

namespace dustvale::sim {

class SimWindowing final : public Windowing {
public:
    explicit SimWindowing(SimClock& clock);

    // Windowing
    Hwnd CreateWindow(WindowKind kind, Hwnd parent, MessageHandler* handler) override;
    void DestroyWindow(Hwnd hwnd) override;
    WindowProc SubclassWindow(Hwnd hwnd, MessageHandler& handler) override;
    void RestoreWindowProc(Hwnd hwnd, WindowProc previous) override;
    std::int32_t CallWindowProc(WindowProc proc, Hwnd hwnd, std::int32_t message,
                                std::int32_t wParam, std::int32_t lParam) override;
    std::uint32_t SetTimer(Hwnd hwnd, std::uint32_t id, std::uint32_t periodMs) override;
    bool KillTimer(Hwnd hwnd, std::uint32_t id) override;
    Hwnd FindWindow(const Text& className) override;
    bool SetForegroundWindow(Hwnd hwnd) override;
    bool MoveWindow(Hwnd hwnd, Point topLeftPixels) override;
    bool PostMessage(Hwnd hwnd, std::int32_t message, std::int32_t wParam,
                     std::int32_t lParam) override;
    std::int32_t SendMessage(Hwnd hwnd, std::int32_t message, std::int32_t wParam,
                             std::int32_t lParam) override;
    std::int32_t ScreenDpi() override;
    Point GetCursorPos() override;
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

    // The taskbar ("Shell_TrayWnd"). One exists from the start. Destroying it also tells the
    // shell's tray to forget its icons (SimShell listens through OnTaskbarCreated).
    Hwnd CreateTaskbar();
    void DestroyTaskbar();
    Hwnd Taskbar() const;
    std::function<void()> OnTaskbarCreated;  // set by SimWindows to reset the tray

    void SetCursorPos(Point p);
    void SetScreenDpi(std::int32_t dpi);

    // Makes the next n SubclassWindow / SetTimer calls fail.
    void FailNextSubclass(int n = 1);
    void FailNextSetTimer(int n = 1);

    // Used by SimWindows::Advance / Pump.
    void AdvanceTo(std::uint64_t time);
    void DispatchPosted();
    bool QuitPosted() const;
    std::int32_t QuitCode() const;
    // A limit on the virtual time RunMessageLoop may spend before it gives up (test safety).
    void SetRunLimit(std::uint64_t ms);
    // Actions run by RunMessageLoop at a given virtual time (a script of the user's acts).
    void At(std::uint64_t time, std::function<void()> action);

private:
    // (state: windows, procedure table, queue, timers, taskbar, cursor)
};

}  // namespace dustvale::sim
