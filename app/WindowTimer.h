#pragma once

// A timer of a window: WM_TIMER with its id reaches the window at every interval while it
// runs. Stopped when destroyed.

#include <cstdint>

#include "platform/Windowing.h"

namespace dustvale {

class WindowTimer {
public:
    WindowTimer(Windowing& windows, Hwnd window, std::uint32_t id, std::uint32_t intervalMs);
    ~WindowTimer() { Stop(); }
    WindowTimer(const WindowTimer&) = delete;
    WindowTimer& operator=(const WindowTimer&) = delete;

    // Starts it when it does not run; a failed start leaves it stopped.
    void Start();
    void Stop();

private:
    Windowing& windows_;
    Hwnd window_;
    std::uint32_t id_;
    std::uint32_t intervalMs_;
    bool running_ = false;
};

}  // namespace dustvale
