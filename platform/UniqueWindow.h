#pragma once

// A window owned by the program: destroyed with its owner.

#include <utility>

#include "platform/Windowing.h"

namespace dustvale {

class UniqueWindow {
public:
    UniqueWindow() = default;
    UniqueWindow(Windowing& windows, Hwnd hwnd) : windows_(&windows), hwnd_(hwnd) {}
    ~UniqueWindow() { reset(); }
    UniqueWindow(UniqueWindow&& other) noexcept
        : windows_(other.windows_), hwnd_(std::exchange(other.hwnd_, 0)) {}
    UniqueWindow& operator=(UniqueWindow&& other) noexcept {
        if (this != &other) {
            reset();
            windows_ = other.windows_;
            hwnd_ = std::exchange(other.hwnd_, 0);
        }
        return *this;
    }
    UniqueWindow(const UniqueWindow&) = delete;
    UniqueWindow& operator=(const UniqueWindow&) = delete;

    Hwnd get() const { return hwnd_; }
    explicit operator bool() const { return hwnd_ != 0; }

    void reset() {
        if (hwnd_ != 0) windows_->DestroyWindow(std::exchange(hwnd_, 0));
    }

private:
    Windowing* windows_ = nullptr;
    Hwnd hwnd_ = 0;
};

}  // namespace dustvale
