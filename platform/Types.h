#pragma once

// Value types shared by the program and its platform layer. Window and icon handles carry 32
// significant bits on every Windows, 64-bit included; message parameters are as wide as a
// pointer, since many messages carry an address.

#include <cstdint>
#include <string>

namespace dustvale {

// Text in memory is UTF-16, as Windows counts lengths in UTF-16 code units.
using Text = std::u16string;

using Hwnd = std::uint32_t;   // window handle; 0 is "no window"
using HIcon = std::uint32_t;  // icon handle; 0 is "no picture"

// A window message's parameters and its answer (WPARAM, LPARAM, LRESULT). Messages such as
// WM_SETTEXT, WM_GETTEXT and WM_WINDOWPOSCHANGED carry the address of a text or a structure,
// which a 64-bit process has above 4 GB: cut to 32 bits, it points elsewhere.
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;

// The program's own flag convention: true is -1 (all bits set), false is 0.
constexpr std::int32_t kTrue = -1;
constexpr std::int32_t kFalse = 0;
constexpr std::int32_t ToFlag(bool value) { return value ? kTrue : kFalse; }

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// A rectangle on the screen in pixels (RECT): right and bottom lie just outside it.
struct ScreenRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    Point Centre() const { return {left + (right - left) / 2, top + (bottom - top) / 2}; }
    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// Window messages and notifications the program uses, gathered in one place.
namespace msg {
constexpr std::int32_t kNull = 0x0000;
constexpr std::int32_t kCreate = 0x0001;
constexpr std::int32_t kDestroy = 0x0002;
constexpr std::int32_t kMove = 0x0003;
constexpr std::int32_t kActivate = 0x0006;
constexpr std::int32_t kSetText = 0x000C;
constexpr std::int32_t kGetText = 0x000D;
constexpr std::int32_t kGetTextLength = 0x000E;
constexpr std::int32_t kClose = 0x0010;
constexpr std::int32_t kContextMenu = 0x007B;
constexpr std::int32_t kSettingChange = 0x001A;  // WM_SETTINGCHANGE, broadcast to top-level windows
constexpr std::int32_t kWindowPosChanging = 0x0046;
constexpr std::int32_t kWindowPosChanged = 0x0047;
constexpr std::int32_t kNcCreate = 0x0081;
constexpr std::int32_t kNcCalcSize = 0x0083;
constexpr std::int32_t kNcActivate = 0x0086;
constexpr std::int32_t kTimer = 0x0113;
constexpr std::int32_t kMouseMove = 0x0200;
constexpr std::int32_t kLButtonDown = 0x0201;
constexpr std::int32_t kLButtonUp = 0x0202;
constexpr std::int32_t kLButtonDblClk = 0x0203;
constexpr std::int32_t kRButtonDown = 0x0204;
constexpr std::int32_t kRButtonUp = 0x0205;
constexpr std::int32_t kRButtonDblClk = 0x0206;
constexpr std::int32_t kMButtonDown = 0x0207;
constexpr std::int32_t kMButtonUp = 0x0208;
constexpr std::int32_t kMButtonDblClk = 0x0209;
// WM_DPICHANGED: a top-level window's DPI changed (its monitor's scaling, or a move to another
// monitor); the new DPI in both words of wParam, the suggested window rectangle at lParam.
constexpr std::int32_t kDpiChanged = 0x02E0;
constexpr std::int32_t kUser = 0x0400;
constexpr std::int32_t kApp = 0x8000;  // WM_APP: the first of the messages a program defines
constexpr std::int32_t kTrayCallback = kUser + 1;  // the tray icon's callback message, 1025
// What the shell reports in the callback besides mouse messages, once the icon asked for the
// version-3 behaviour: a left click's selection, the keyboard's selection (Space or Enter on
// the focused icon) and, as kContextMenu, the menu key or Shift+F10 (and a right click).
constexpr std::int32_t kSelect = 0x0400;            // NIN_SELECT
constexpr std::int32_t kKeySelect = 0x0401;         // NIN_KEYSELECT
constexpr std::int32_t kBalloonShow = 0x0402;       // NIN_BALLOONSHOW
constexpr std::int32_t kBalloonHide = 0x0403;       // NIN_BALLOONHIDE
constexpr std::int32_t kBalloonTimeout = 0x0404;    // NIN_BALLOONTIMEOUT
constexpr std::int32_t kBalloonUserClick = 0x0405;  // NIN_BALLOONUSERCLICK
}  // namespace msg

}  // namespace dustvale
