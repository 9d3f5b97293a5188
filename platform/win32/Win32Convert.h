#pragma once

// Conversions at the boundary between the program's value types and Win32's. Window and icon
// handles are 32-bit values in the program: even a 64-bit process's user handles carry only 32
// significant bits (sign-extended).

#include <cstddef>
#include <cstdint>
#include <cwchar>

#include "platform/Types.h"
#include "platform/win32/WindowsApi.h"

namespace dustvale::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");

inline const wchar_t* Wide(const Text& text) noexcept {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

inline Text FromWide(const wchar_t* text, std::size_t length) {
    return Text(reinterpret_cast<const char16_t*>(text), length);
}

inline Text FromWide(const wchar_t* text) { return FromWide(text, std::wcslen(text)); }

template <typename H>
H ToHandle(std::uint32_t value) noexcept {
    return reinterpret_cast<H>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}

template <typename H>
std::uint32_t FromHandle(H handle) noexcept {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle));
}

inline HWND ToHwnd(Hwnd hwnd) noexcept { return ToHandle<HWND>(hwnd); }
inline Hwnd FromHwnd(HWND hwnd) noexcept { return FromHandle(hwnd); }

// Message parameters and answers cross the boundary whole: many carry an address, which a
// 64-bit process has above 4 GB.
static_assert(sizeof(WParam) == sizeof(WPARAM) && sizeof(LParam) == sizeof(LPARAM) &&
                  sizeof(LResult) == sizeof(LRESULT),
              "message parameters are as wide as Windows' own");

inline WPARAM ToWParam(WParam value) noexcept { return static_cast<WPARAM>(value); }
inline LPARAM ToLParam(LParam value) noexcept { return static_cast<LPARAM>(value); }
inline LRESULT ToLResult(LResult value) noexcept { return static_cast<LRESULT>(value); }
inline WParam FromWParam(WPARAM value) noexcept { return static_cast<WParam>(value); }
inline LParam FromLParam(LPARAM value) noexcept { return static_cast<LParam>(value); }
inline LResult FromLResult(LRESULT value) noexcept { return static_cast<LResult>(value); }

}  // namespace dustvale::win32
