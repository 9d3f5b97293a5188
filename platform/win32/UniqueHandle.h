#pragma once

// Owners for Win32 handles, after wil's unique_any: one owner per handle kind with the right
// close function. Move-only; a move-assignment closes what it overwrites. Handles whose
// invalid value is INVALID_HANDLE_VALUE (FindFirstFileW, CreateFileW) are kept apart from
// those whose invalid value is NULL, so a failed call is never "closed".

#include <utility>

#include "platform/win32/WindowsApi.h"

namespace dustvale::win32 {

// Invalid-value policies.
struct NullIsInvalid {
    template <typename T>
    static T Value() noexcept {
        return nullptr;
    }
};
struct MinusOneIsInvalid {
    template <typename T>
    static T Value() noexcept {
        return INVALID_HANDLE_VALUE;
    }
};

template <typename T, auto Close, typename Invalid = NullIsInvalid>
class unique_any {
public:
    unique_any() noexcept = default;
    explicit unique_any(T value) noexcept : value_(value) {}
    unique_any(unique_any&& other) noexcept : value_(other.release()) {}
    unique_any& operator=(unique_any&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    ~unique_any() { reset(); }

    static T invalid() noexcept { return Invalid::template Value<T>(); }

    T get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != invalid(); }

    // Gives up ownership without closing.
    [[nodiscard]] T release() noexcept { return std::exchange(value_, invalid()); }

    // Closes the handle held (if any) and takes `value`.
    void reset(T value = invalid()) noexcept {
        const T old = std::exchange(value_, value);
        if (old != invalid()) Close(old);
    }

private:
    T value_ = invalid();
};

namespace detail {
inline void ReleaseScreenDc(HDC dc) noexcept { ::ReleaseDC(nullptr, dc); }
inline void ReleaseVirtualMemory(void* address) noexcept { ::VirtualFree(address, 0, MEM_RELEASE); }
inline void FreeLocalText(wchar_t* text) noexcept { ::LocalFree(text); }
}  // namespace detail

using unique_handle = unique_any<HANDLE, &::CloseHandle>;  // processes, threads, mappings
using unique_file = unique_any<HANDLE, &::CloseHandle, MinusOneIsInvalid>;  // CreateFileW
using unique_find = unique_any<HANDLE, &::FindClose, MinusOneIsInvalid>;    // FindFirstFileW
using unique_hicon = unique_any<HICON, &::DestroyIcon>;
using unique_local_text = unique_any<wchar_t*, &detail::FreeLocalText>;  // a text LocalAlloc gave
using unique_hmenu = unique_any<HMENU, &::DestroyMenu>;
using unique_hkey = unique_any<HKEY, &::RegCloseKey>;
using unique_screen_dc = unique_any<HDC, &detail::ReleaseScreenDc>;  // GetDC(nullptr)
using unique_virtual_memory = unique_any<void*, &detail::ReleaseVirtualMemory>;  // VirtualAlloc
using unique_actctx = unique_any<HANDLE, &::ReleaseActCtx>;  // an activation context's reference

}  // namespace dustvale::win32
