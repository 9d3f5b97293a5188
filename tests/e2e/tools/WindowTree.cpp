// WindowTree.exe: what the end-to-end tests see of a Wine desktop's windows, which are drawn
// inside one X window and so are out of reach of X tools: the taskbar, tooltips and balloons,
// pop-up menus, message boxes and dialogs with their controls. Prints every top-level window of
// the named desktop, in z-order from the top, each followed by its child windows and theirs,
// one line each, in UTF-8:
//
//   <depth>\t<handle>\t<class>\t<id>\t<visible 0|1>\t<enabled 0|1>\t<check>\t<rect>\t<text>
//
// where depth is 0 for a top-level window and 1 or more for its children; rect is
// <left>,<top>,<right>,<bottom> in screen pixels; check is a button's BM_GETCHECK (0, 1 or 2)
// or - for other windows; the text is what WM_GETTEXT answers, so a tooltip shows its tip and
// an edit box its contents. A window that does not answer within a second shows no text.
//
//   WindowTree.exe <desktop>                the windows now
//   WindowTree.exe <desktop> <text> <ms>    the windows once a visible dialog box shows the
//                                           text (exit code 3: not within the milliseconds)
//
// The wait looks only at visible dialog boxes, so it sends no message to a program that is
// busy while it shows no box, and it sees a box within about 10 ms of its showing.

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/win32/WindowsApi.h"

namespace {

constexpr UINT kAnswerTimeoutMs = 1000;
constexpr DWORD kPollMs = 10;
constexpr wchar_t kDialogClass[] = L"#32770";

struct DesktopCloser {
    void operator()(HDESK desktop) const noexcept { ::CloseDesktop(desktop); }
};
using unique_desktop = std::unique_ptr<std::remove_pointer_t<HDESK>, DesktopCloser>;

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
    std::vector<wchar_t> buffer(2048, L'\0');
    DWORD_PTR copied = 0;
    if (!Ask(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), copied)) {
        return {};
    }
    return std::wstring(buffer.data());
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

// Only buttons (the system's class or a class made from it) are asked for their check state:
// another class may give the message a meaning of its own.
std::string CheckOf(HWND window, std::wstring className) {
    for (wchar_t& c : className) c = static_cast<wchar_t>(::towlower(c));
    const bool button = className.find(L"button") != std::wstring::npos ||
                        className.find(L"checkbox") != std::wstring::npos;
    DWORD_PTR state = 0;
    if (!button || !Ask(window, BM_GETCHECK, 0, 0, state)) return "-";
    return std::to_string(state);
}

// The window's own flags: IsWindowVisible also asks the desktop window, and a desktop other
// than our own never counts as visible.
bool Shown(HWND window) { return (::GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }
bool Enabled(HWND window) { return (::GetWindowLongW(window, GWL_STYLE) & WS_DISABLED) == 0; }

void Print(HWND window, int depth) {
    const std::wstring className = ClassOf(window);
    RECT place{};
    ::GetWindowRect(window, &place);
    std::printf("%d\t%08lx\t%s\t%ld\t%d\t%d\t%s\t%ld,%ld,%ld,%ld\t%s\n", depth,
                static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(window)),
                Utf8(className).c_str(), static_cast<long>(::GetDlgCtrlID(window)),
                Shown(window) ? 1 : 0, Enabled(window) ? 1 : 0,
                CheckOf(window, className).c_str(), place.left, place.top, place.right,
                place.bottom, Utf8(TextOf(window)).c_str());
}

// EnumChildWindows walks all descendants, each right after its parent; the depth is counted
// up to the top-level window.
BOOL CALLBACK PrintChild(HWND window, LPARAM topLevel) {
    int depth = 0;
    for (HWND w = window; w != nullptr && w != reinterpret_cast<HWND>(topLevel);
         w = ::GetParent(w)) {
        ++depth;
    }
    Print(window, depth);
    return TRUE;
}

BOOL CALLBACK PrintTopLevel(HWND window, LPARAM) {
    Print(window, 0);
    ::EnumChildWindows(window, PrintChild, reinterpret_cast<LPARAM>(window));
    return TRUE;
}

struct Search {
    const wchar_t* text;
    bool found;
};

BOOL CALLBACK FindBoxText(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<Search*>(data);
    if (ClassOf(window) != kDialogClass || !Shown(window)) return TRUE;
    for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (TextOf(child) == search.text) {
            search.found = true;
            return FALSE;
        }
    }
    return TRUE;
}

bool WaitForBoxText(HDESK desktop, const wchar_t* text, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        Search search{text, false};
        ::EnumDesktopWindows(desktop, FindBoxText, reinterpret_cast<LPARAM>(&search));
        if (search.found) return true;
        if (::GetTickCount64() >= deadline) return false;
        ::Sleep(kPollMs);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: WindowTree.exe <desktop> [<text> <ms>]\n");
        return 2;
    }
    const unique_desktop desktop{
        ::OpenDesktopW(argv[1], 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE)};
    if (!desktop) {
        std::fprintf(stderr, "no desktop of that name\n");
        return 1;
    }
    if (argc == 4 && !WaitForBoxText(desktop.get(), argv[2], std::wcstoul(argv[3], nullptr, 10))) {
        std::fprintf(stderr, "no box showed the text in time\n");
        return 3;
    }
    const BOOL listed = ::EnumDesktopWindows(desktop.get(), PrintTopLevel, 0);
    std::fflush(stdout);
    return listed ? 0 : 1;
}
