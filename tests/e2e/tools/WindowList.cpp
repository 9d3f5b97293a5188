// WindowList.exe: what the end-to-end tests see of a Wine desktop's windows, which are drawn
// inside one X window and so are out of reach of X tools. Prints one line per top-level window
// of the named desktop (the current one when no name is given), in z-order from the top:
//
//   <handle>\t<class>\t<visible 0|1>\t<left>,<top>,<right>,<bottom>\t<text>
//
// in UTF-8. The text is what WM_GETTEXT answers, so a tooltip shows its tip text; a window
// that does not answer within a second shows none.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/WindowsApi.h"

namespace {

constexpr UINT kAnswerTimeoutMs = 1000;

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                          nullptr, nullptr);
    // One window, one line.
    for (char& c : out) {
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    }
    return out;
}

std::wstring TextOf(HWND window) {
    std::vector<wchar_t> buffer(1024, L'\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(),
                               reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                               kAnswerTimeoutMs, &copied)) {
        return {};
    }
    return std::wstring(buffer.data());
}

// The window's own visible flag: IsWindowVisible also asks the desktop window, and a
// desktop other than our own never counts as visible.
bool Shown(HWND window) { return (::GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

BOOL CALLBACK PrintWindow(HWND window, LPARAM) {
    wchar_t className[256] = {};
    ::GetClassNameW(window, className, 256);
    RECT place{};
    ::GetWindowRect(window, &place);
    std::printf("%08lx\t%s\t%d\t%ld,%ld,%ld,%ld\t%s\n",
                static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(window)),
                Utf8(className).c_str(), Shown(window) ? 1 : 0, place.left,
                place.top, place.right, place.bottom, Utf8(TextOf(window)).c_str());
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 2) {
        std::fprintf(stderr, "usage: WindowList.exe [desktop]\n");
        return 2;
    }
    if (argc == 1) return ::EnumWindows(PrintWindow, 0) ? 0 : 1;

    HDESK desktop = ::OpenDesktopW(argv[1], 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE);
    if (desktop == nullptr) {
        std::fprintf(stderr, "no desktop of that name\n");
        return 1;
    }
    const BOOL listed = ::EnumDesktopWindows(desktop, PrintWindow, 0);
    ::CloseDesktop(desktop);
    std::fflush(stdout);
    return listed ? 0 : 1;
}
