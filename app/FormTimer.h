#pragma once

// A form's timer control: WM_TIMER with its id reaches the form's own window at every
// interval while it runs. Stopped when destroyed.

#include <cstdint>

#include "platform/Windowing.h"

namespace dustvale {

class FormTimer {
public:
    FormTimer(Windowing& windows, Hwnd window, std::uint32_t id, std::uint32_t intervalMs);
    ~FormTimer() { Stop(); }
    FormTimer(const FormTimer&) = delete;
    FormTimer& operator=(const FormTimer&) = delete;

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
