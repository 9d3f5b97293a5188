#include "platform/win32/Win32Dpi.h"

#include "platform/win32/UniqueHandle.h"

namespace dustvale::win32 {

namespace {

// DIALOG_DPI_CHANGE_BEHAVIORS' DDC_DISABLE_ALL: no resizing, no new font, no new layout.
constexpr int kDialogLaysItselfOut = 0x0001 | 0x0002 | 0x0004;

template <typename Function>
Function Find(HMODULE module, const char* name) {
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace

DpiFunctions::DpiFunctions() {
    // user32 is an import of every program that has windows: it stays loaded.
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    getDpiForWindow_ = Find<GetDpiForWindowFunction>(user32, "GetDpiForWindow");
    getSystemMetricsForDpi_ =
        Find<GetSystemMetricsForDpiFunction>(user32, "GetSystemMetricsForDpi");
    adjustWindowRectExForDpi_ =
        Find<AdjustWindowRectExForDpiFunction>(user32, "AdjustWindowRectExForDpi");
    setDialogDpiChangeBehavior_ =
        Find<SetDialogDpiChangeBehaviorFunction>(user32, "SetDialogDpiChangeBehavior");
}

UINT DpiFunctions::System() {
    const unique_screen_dc screen(::GetDC(nullptr));
    const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

UINT DpiFunctions::ForWindow(HWND window) const {
    if (getDpiForWindow_ != nullptr) return getDpiForWindow_(window);
    return ::IsWindow(window) ? System() : 0;
}

int DpiFunctions::SystemMetric(int index, UINT dpi) const {
    if (getSystemMetricsForDpi_ != nullptr) return getSystemMetricsForDpi_(index, dpi);
    return ::MulDiv(::GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(System()));
}

BOOL DpiFunctions::AdjustWindowRect(RECT& rect, DWORD style, DWORD exStyle, UINT dpi) const {
    if (adjustWindowRectExForDpi_ != nullptr) {
        return adjustWindowRectExForDpi_(&rect, style, FALSE, exStyle, dpi);
    }
    return ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

void DpiFunctions::LeaveDpiChangesToDialog(HWND dialog) const {
    if (setDialogDpiChangeBehavior_ != nullptr) {
        setDialogDpiChangeBehavior_(dialog, kDialogLaysItselfOut, kDialogLaysItselfOut);
    }
}

}  // namespace dustvale::win32
