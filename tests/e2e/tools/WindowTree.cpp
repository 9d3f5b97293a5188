// WindowTree.exe: the windows of a Wine desktop with their controls, for the end-to-end tests
// that drive dialogs, message boxes and pop-up menus with the mouse. Prints every top-level
// window of the named desktop (the current one when no name is given), in z-order from the
// top, each followed by its child windows, one line each, in UTF-8:
//
//   <depth>\t<handle>\t<class>\t<id>\t<visible 0|1>\t<enabled 0|1>\t<check>\t<rect>\t<text>
//
// where depth is 0 for a top-level window and 1 or more for its children; rect is
// <left>,<top>,<right>,<bottom> in screen pixels; check is a button's BM_GETCHECK (0, 1 or 2)
// or - for other windows; the text is what WM_GETTEXT answers, so an edit box shows its
// contents. A window that does not answer within a second shows no text.

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

bool Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& answer) {
    return ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                                 kAnswerTimeoutMs, &answer) != 0;
}

std::wstring TextOf(HWND window) {
    std::vector<wchar_t> buffer(1024, L'\0');
    DWORD_PTR copied = 0;
    if (!Ask(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), copied)) {
        return {};
    }
    return std::wstring(buffer.data());
}

// Only buttons (the system's class or a class made from it) are asked for their check state:
// another class may give the message a meaning of its own.
std::string CheckOf(HWND window, const std::wstring& className) {
    std::wstring lower = className;
    for (wchar_t& c : lower) c = static_cast<wchar_t>(::towlower(c));
    const bool button = lower.find(L"button") != std::wstring::npos ||
                        lower.find(L"checkbox") != std::wstring::npos;
    if (!button) return "-";
    DWORD_PTR state = 0;
    if (!Ask(window, BM_GETCHECK, 0, 0, state)) return "-";
    return std::to_string(state);
}

// The window's own flags: IsWindowVisible also asks the desktop window, and a desktop other
// than our own never counts as visible.
bool Shown(HWND window) { return (::GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }
bool Enabled(HWND window) { return (::GetWindowLongW(window, GWL_STYLE) & WS_DISABLED) == 0; }

void Print(HWND window, int depth) {
    wchar_t className[256] = {};
    ::GetClassNameW(window, className, 256);
    RECT place{};
    ::GetWindowRect(window, &place);
    std::printf("%d\t%08lx\t%s\t%ld\t%d\t%d\t%s\t%ld,%ld,%ld,%ld\t%s\n", depth,
                static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(window)),
                Utf8(className).c_str(), static_cast<long>(::GetDlgCtrlID(window)),
                Shown(window) ? 1 : 0, Enabled(window) ? 1 : 0,
                CheckOf(window, className).c_str(), place.left, place.top, place.right,
                place.bottom, Utf8(TextOf(window)).c_str());
}

// EnumChildWindows walks all descendants; the depth is counted up to the top-level window.
struct ChildWalk {
    HWND top;
};

BOOL CALLBACK PrintChild(HWND window, LPARAM context) {
    const auto* walk = reinterpret_cast<const ChildWalk*>(context);
    int depth = 0;
    for (HWND w = window; w != nullptr && w != walk->top; w = ::GetParent(w)) ++depth;
    Print(window, depth);
    return TRUE;
}

BOOL CALLBACK PrintTopLevel(HWND window, LPARAM) {
    Print(window, 0);
    ChildWalk walk{window};
    ::EnumChildWindows(window, PrintChild, reinterpret_cast<LPARAM>(&walk));
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 2) {
        std::fprintf(stderr, "usage: WindowTree.exe [desktop]\n");
        return 2;
    }
    if (argc == 1) return ::EnumWindows(PrintTopLevel, 0) ? 0 : 1;

    HDESK desktop = ::OpenDesktopW(argv[1], 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE);
    if (desktop == nullptr) {
        std::fprintf(stderr, "no desktop of that name\n");
        return 1;
    }
    const BOOL listed = ::EnumDesktopWindows(desktop, PrintTopLevel, 0);
    ::CloseDesktop(desktop);
    std::fflush(stdout);
    return listed ? 0 : 1;
}
