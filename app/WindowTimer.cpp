#include "app/WindowTimer.h"

namespace dustvale {

WindowTimer::WindowTimer(Windowing& windows, Hwnd window, std::uint32_t id,
                         std::uint32_t intervalMs)
    : windows_(windows), window_(window), id_(id), intervalMs_(intervalMs) {}

void WindowTimer::Start() {
    if (running_ || window_ == 0) return;
    running_ = windows_.SetTimer(window_, id_, intervalMs_) == id_;
}

void WindowTimer::Stop() {
    if (!running_) return;
    windows_.KillTimer(window_, id_);
    running_ = false;
}

}  // namespace dustvale
