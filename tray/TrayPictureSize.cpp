#include "tray/TrayPictureSize.h"

namespace dustvale {

namespace {
// The taskbar that holds the notification area (other monitors' taskbars hold none).
constexpr const char16_t* kTaskbarClass = u"Shell_TrayWnd";
}  // namespace

std::int32_t TrayIconDpi(Windowing& windows) {
    const Hwnd taskbar = windows.FindWindow(kTaskbarClass);
    const std::int32_t dpi = taskbar != 0 ? windows.GetDpiForWindow(taskbar) : 0;
    return dpi > 0 ? dpi : windows.ScreenDpi();
}

std::int32_t TrayPictureSize(Windowing& windows) {
    return windows.SmallIconSizeForDpi(TrayIconDpi(windows));
}

}  // namespace dustvale
