#pragma once

// The shell's notification-icon record in its Unicode form, in the 936-byte layout that ends
// with dwInfoFlags (NOTIFYICONDATAW_V2_SIZE). All integers are 32-bit little-endian; the text
// fields are fixed UTF-16LE buffers. On a 32-bit Windows build this very record goes to
// Shell_NotifyIconW, so its layout is checked at compile time here and against <windows.h>.

#include <cstddef>
#include <cstdint>

namespace dustvale {

// Shell_NotifyIcon messages.
enum class NotifyMessage : std::uint32_t {
    Add = 0,
    Modify = 1,
    Delete = 2,
    SetFocus = 3,  // keyboard focus back to the notification area
    SetVersion = 4,
};

namespace nif {
constexpr std::uint32_t kMessage = 0x01;
constexpr std::uint32_t kIcon = 0x02;
constexpr std::uint32_t kTip = 0x04;
constexpr std::uint32_t kInfo = 0x10;
}  // namespace nif

struct NotifyIconRecord {
    std::uint32_t cbSize = 0;
    std::uint32_t hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    std::uint32_t hIcon = 0;
    char16_t szTip[128] = {};
    std::uint32_t dwState = 0;
    std::uint32_t dwStateMask = 0;
    char16_t szInfo[256] = {};
    std::uint32_t uTimeoutOrVersion = 0;
    char16_t szInfoTitle[64] = {};
    std::uint32_t dwInfoFlags = 0;
};

static_assert(sizeof(NotifyIconRecord) == 936);
static_assert(offsetof(NotifyIconRecord, hWnd) == 4);
static_assert(offsetof(NotifyIconRecord, uID) == 8);
static_assert(offsetof(NotifyIconRecord, uFlags) == 12);
static_assert(offsetof(NotifyIconRecord, uCallbackMessage) == 16);
static_assert(offsetof(NotifyIconRecord, hIcon) == 20);
static_assert(offsetof(NotifyIconRecord, szTip) == 24);
static_assert(offsetof(NotifyIconRecord, dwState) == 280);
static_assert(offsetof(NotifyIconRecord, dwStateMask) == 284);
static_assert(offsetof(NotifyIconRecord, szInfo) == 288);
static_assert(offsetof(NotifyIconRecord, uTimeoutOrVersion) == 800);
static_assert(offsetof(NotifyIconRecord, szInfoTitle) == 804);
static_assert(offsetof(NotifyIconRecord, dwInfoFlags) == 932);

}  // namespace dustvale
