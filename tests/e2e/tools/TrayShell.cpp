// TrayShell.exe: what the end-to-end tests do in the shell's place to a program's tray icon on
// a Wine desktop, as Explorer does on Windows: take the icon out of the tray, tell every window
// that a taskbar was created, send the icon's callback message as the notification area does
// for the keyboard. It runs on the named desktop (its thread is moved there before it makes
// any call), so that the shell it finds and the windows its broadcast reaches are that
// desktop's.
//
//   TrayShell.exe <desktop> remove <window> <id>
//       Shell_NotifyIconW(NIM_DELETE) for the icon (window, id); exit code 1 when the shell
//       refused.
//   TrayShell.exe <desktop> taskbar-created
//       the registered message "TaskbarCreated" to every top-level window, as Explorer sends
//       it (SendNotifyMessageW to HWND_BROADCAST).
//   TrayShell.exe <desktop> send <window> <message> <wParam> <lParam> [<times>]
//       SendNotifyMessageW, `times` times in a row (once by default), as the shell sends the
//       callback message: the call returns without waiting for the program.
//
// Numbers may be decimal or hexadecimal (0x...); a window is a handle as WindowTree.exe
// prints it (hexadecimal, without 0x).

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <string_view>
#include <type_traits>

#include "platform/win32/WindowsApi.h"

namespace {

struct DesktopCloser {
    void operator()(HDESK desktop) const noexcept { ::CloseDesktop(desktop); }
};
using unique_desktop = std::unique_ptr<std::remove_pointer_t<HDESK>, DesktopCloser>;

HWND WindowOf(const wchar_t* text) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(std::wcstoull(text, nullptr, 16)));
}

std::uintptr_t NumberOf(const wchar_t* text) {
    return static_cast<std::uintptr_t>(std::wcstoull(text, nullptr, 0));
}

int Usage() {
    std::fprintf(stderr,
                 "usage: TrayShell.exe <desktop> remove <window> <id>\n"
                 "       TrayShell.exe <desktop> taskbar-created\n"
                 "       TrayShell.exe <desktop> send <window> <message> <wParam> <lParam> "
                 "[<times>]\n");
    return 2;
}

int RemoveIcon(HWND window, UINT id) {
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof(icon);
    icon.hWnd = window;
    icon.uID = id;
    return ::Shell_NotifyIconW(NIM_DELETE, &icon) ? 0 : 1;
}

int BroadcastTaskbarCreated() {
    const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    if (message == 0) return 1;
    return ::SendNotifyMessageW(HWND_BROADCAST, message, 0, 0) ? 0 : 1;
}

int Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, unsigned times) {
    for (unsigned i = 0; i < times; ++i) {
        if (!::SendNotifyMessageW(window, message, wParam, lParam)) return 1;
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return Usage();
    // The desktop is kept open for as long as the thread is on it.
    const unique_desktop desktop{::OpenDesktopW(argv[1], 0, FALSE, GENERIC_ALL)};
    if (!desktop || !::SetThreadDesktop(desktop.get())) {
        std::fprintf(stderr, "cannot move to that desktop\n");
        return 1;
    }
    const std::wstring_view command = argv[2];
    if (command == L"remove" && argc == 5) {
        return RemoveIcon(WindowOf(argv[3]), static_cast<UINT>(NumberOf(argv[4])));
    }
    if (command == L"taskbar-created" && argc == 3) return BroadcastTaskbarCreated();
    if (command == L"send" && (argc == 7 || argc == 8)) {
        const unsigned times = argc == 8 ? static_cast<unsigned>(NumberOf(argv[7])) : 1;
        return Send(WindowOf(argv[3]), static_cast<UINT>(NumberOf(argv[4])),
                    static_cast<WPARAM>(NumberOf(argv[5])),
                    static_cast<LPARAM>(NumberOf(argv[6])), times);
    }
    return Usage();
}
