// BaselineTray.exe: the floor Dustvale's footprint is measured against. The least a Recycle Bin
// tray program can do: one hidden window, one tray icon, and once a second one Recycle Bin
// query and one tooltip update. Nothing else: no menu, no settings, no pictures of its own.
// Not shipped; built beside Dustvale.exe with the same compiler and options.
//
// Two switches turn it into the floor for a program that must do what Dustvale does, so that
// the cost of each obligation shows apart: /commoncontrols loads and initializes the common
// controls at start, as a program with a dialog of its own does; /wholerecord sends the whole
// icon record (picture, callback message and tooltip) at each tick, not the tooltip alone.
//
// WM_CLOSE takes the icon away and ends the program, so that a benchmark can stop it as
// `taskkill` (without /f) does. A WM_TIMER sent from outside runs one tick, as Dustvale's own
// window does, so that both ticks can be timed the same way.

#include <cwchar>
#include <iterator>

#include "platform/win32/WindowsApi.h"

#include <commctrl.h>

namespace {

constexpr wchar_t kWindowClass[] = L"DustvaleBaselineWindow";
constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 1000;

struct Tray {
    NOTIFYICONDATAW icon{};
    UINT tickFlags = NIF_TIP;
};

void Tick(Tray& tray) {
    SHQUERYRBINFO info{};
    info.cbSize = sizeof info;
    // A failed query shows an empty bin, as Dustvale does.
    ::SHQueryRecycleBinW(L"C:\\", &info);
    std::swprintf(tray.icon.szTip, std::size(tray.icon.szTip), L"Baseline (%llu items)",
                  static_cast<unsigned long long>(info.i64NumItems));
    tray.icon.uFlags = tray.tickFlags;
    ::Shell_NotifyIconW(NIM_MODIFY, &tray.icon);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* tray = reinterpret_cast<Tray*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_NCCREATE: {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(window, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(create->lpCreateParams));
            break;
        }
        case WM_TIMER:
            if (wParam == kTickTimer && tray != nullptr) Tick(*tray);
            return 0;
        case WM_CLOSE:
            ::DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            if (tray != nullptr) ::Shell_NotifyIconW(NIM_DELETE, &tray->icon);
            ::PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// Looked up at run time, so that the plain baseline does not load the library at all.
void StartCommonControls() {
    const HMODULE library = ::LoadLibraryW(L"comctl32.dll");
    if (library == nullptr) return;
    using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto init = reinterpret_cast<InitFunction>(
        reinterpret_cast<void*>(::GetProcAddress(library, "InitCommonControlsEx")));
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), 0x3FFF};
    if (init != nullptr) init(&classes);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    if (std::wcsstr(commandLine, L"/commoncontrols") != nullptr) StartCommonControls();
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    if (::RegisterClassExW(&windowClass) == 0) return 1;

    Tray tray;
    if (std::wcsstr(commandLine, L"/wholerecord") != nullptr) {
        tray.tickFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    }
    const HWND window = ::CreateWindowExW(0, kWindowClass, L"Baseline", WS_POPUP, 0, 0, 0, 0,
                                          nullptr, nullptr, instance, &tray);
    if (window == nullptr) return 1;

    tray.icon.cbSize = sizeof tray.icon;
    tray.icon.hWnd = window;
    tray.icon.uID = 1;
    tray.icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    tray.icon.uCallbackMessage = kTrayMessage;
    tray.icon.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    std::wcscpy(tray.icon.szTip, L"Baseline");
    if (!::Shell_NotifyIconW(NIM_ADD, &tray.icon)) {
        ::DestroyWindow(window);
        return 1;
    }
    ::SetTimer(window, kTickTimer, kTickMs, nullptr);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::DispatchMessageW(&message);
    }
    return 0;
}
