#include "app/FormTimer.h"

namespace dustvale {

FormTimer::FormTimer(Windowing& windows, Hwnd window, std::uint32_t id, std::uint32_t intervalMs)
    : windows_(windows), window_(window), id_(id), intervalMs_(intervalMs) {}

void FormTimer::Start() {
    if (running_ || window_ == 0) return;
    running_ = windows_.SetTimer(window_, id_, intervalMs_) == id_;
}

void FormTimer::Stop() {
    if (!running_) return;
    windows_.KillTimer(window_, id_);
    running_ = false;
}

}  // namespace dustvale
