#pragma once

// Owner of a handle that Kernel gave out: closes it with Kernel::CloseHandle. Move-only; a
// move-assignment closes what it overwrites.

#include <utility>

#include "platform/Kernel.h"

namespace dustvale {

class UniqueKernelHandle {
public:
    UniqueKernelHandle() noexcept = default;
    UniqueKernelHandle(Kernel& kernel, KernelHandle handle) noexcept
        : kernel_(&kernel), handle_(handle) {}
    UniqueKernelHandle(UniqueKernelHandle&& other) noexcept
        : kernel_(other.kernel_), handle_(std::exchange(other.handle_, 0)) {}
    UniqueKernelHandle& operator=(UniqueKernelHandle&& other) noexcept {
        if (this != &other) {
            reset();
            kernel_ = other.kernel_;
            handle_ = std::exchange(other.handle_, 0);
        }
        return *this;
    }
    UniqueKernelHandle(const UniqueKernelHandle&) = delete;
    UniqueKernelHandle& operator=(const UniqueKernelHandle&) = delete;
    ~UniqueKernelHandle() { reset(); }

    KernelHandle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != 0; }

    // Gives up ownership without closing: the handle stays open.
    [[nodiscard]] KernelHandle release() noexcept { return std::exchange(handle_, 0); }

    void reset() noexcept {
        if (handle_ != 0 && kernel_ != nullptr) {
            kernel_->CloseHandle(std::exchange(handle_, 0));
        }
    }

private:
    Kernel* kernel_ = nullptr;
    KernelHandle handle_ = 0;
};

}  // namespace dustvale
