#pragma once

// user32's per-monitor DPI calls. They are looked up, since systems before Windows 10 (1607,
// and 1703 for the dialogs' call) lack them; each answer falls back to what those systems
// offer: the system's DPI, and metrics scaled from it.

#include "platform/win32/WindowsApi.h"

namespace dustvale::win32 {

class DpiFunctions {
public:
    DpiFunctions();

    // The screen's DPI (LOGPIXELSY): the system's DPI, set by the main monitor at log-on.
    static UINT System();
    // GetDpiForWindow: the DPI of the window's monitor; 0 when there is no such window.
    UINT ForWindow(HWND window) const;
    // GetSystemMetricsForDpi, for the metrics that scale with DPI (icons, frames, captions).
    int SystemMetric(int index, UINT dpi) const;
    // AdjustWindowRectExForDpi: the frame of the given client rectangle at `dpi`.
    BOOL AdjustWindowRect(RECT& rect, DWORD style, DWORD exStyle, UINT dpi) const;
    // A dialog that lays itself out at each DPI: the dialog manager neither resizes it nor
    // changes its font or its controls when its DPI changes (SetDialogDpiChangeBehavior).
    void LeaveDpiChangesToDialog(HWND dialog) const;

private:
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
    using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    using SetDialogDpiChangeBehaviorFunction = BOOL(WINAPI*)(HWND, int, int);

    GetDpiForWindowFunction getDpiForWindow_ = nullptr;
    GetSystemMetricsForDpiFunction getSystemMetricsForDpi_ = nullptr;
    AdjustWindowRectExForDpiFunction adjustWindowRectExForDpi_ = nullptr;
    SetDialogDpiChangeBehaviorFunction setDialogDpiChangeBehavior_ = nullptr;
};

}  // namespace dustvale::win32
