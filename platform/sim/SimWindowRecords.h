#pragma once

// The records that the simulated system's messages point at, after their Windows namesakes.
// The system holds them while the message is handled; a procedure that hands the message on
// passes their address along, and the default procedure reads and writes them there.

#include <cstdint>

#include "platform/Types.h"

namespace dustvale::sim {

// CREATESTRUCTW: WM_NCCREATE and WM_CREATE.
struct CreateStruct {
    void* createParams = nullptr;
    Hwnd parent = 0;
    std::int32_t cy = 0, cx = 0, y = 0, x = 0;
    const char16_t* name = nullptr;  // the window's first text
};

// RECT: WM_NCCALCSIZE without its second form (wParam FALSE).
struct Rect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// WINDOWPOS: WM_WINDOWPOSCHANGING and WM_WINDOWPOSCHANGED.
struct WindowPos {
    Hwnd hwnd = 0;
    Hwnd insertAfter = 0;
    std::int32_t x = 0, y = 0, cx = 0, cy = 0;
    std::uint32_t flags = 0;
};

// SetWindowPos's flags.
namespace swp {
constexpr std::uint32_t kNoSize = 0x0001;
constexpr std::uint32_t kNoMove = 0x0002;
constexpr std::uint32_t kNoZOrder = 0x0004;
constexpr std::uint32_t kNoActivate = 0x0010;
}  // namespace swp

}  // namespace dustvale::sim
