// BoxWatch.exe: what the end-to-end tests of the Temp Files command see of a Wine desktop
// (drawn inside one X window, out of reach of X tools): the pop-up menus, the message boxes,
// their texts and their buttons. Prints the desktop's windows, top-level ones in z-order from
// the top, each followed by its direct children and theirs, one line each, in UTF-8:
//
//   <depth>\t<handle>\t<class>\t<visible 0|1>\t<left>,<top>,<right>,<bottom>\t<text>
//
// Depth 0 is a top-level window; rectangles are in screen pixels. A window that does not
// answer WM_GETTEXT within a second shows no text.
//
//   BoxWatch.exe <desktop>                      the windows now
//   BoxWatch.exe <desktop> <text> <ms>          the windows once a visible dialog box shows the
//                                               text (exit code 3: not within the milliseconds)
//
// The wait looks only at visible dialog boxes, so it sends no message to a program that is
// busy while it shows no box, and it sees a box within about 10 ms of its showing.

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/win32/WindowsApi.h"

namespace {

constexpr UINT kAnswerTimeoutMs = 1000;
constexpr DWORD kPollMs = 10;
constexpr wchar_t kDialogClass[] = L"#32770";

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                          nullptr, nullptr);
    for (char& c : out) {
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    }
    return out;
}

std::wstring TextOf(HWND window) {
    std::vector<wchar_t> buffer(2048, L'\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(),
                               reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                               kAnswerTimeoutMs, &copied)) {
        return {};
    }
    return std::wstring(buffer.data());
}

// The window's own flag: IsWindowVisible also asks the desktop window, and a desktop other
// than our own never counts as visible.
bool Shown(HWND window) { return (::GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

void Print(HWND window, int depth) {
    RECT place{};
    ::GetWindowRect(window, &place);
    std::printf("%d\t%08lx\t%s\t%d\t%ld,%ld,%ld,%ld\t%s\n", depth,
                static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(window)),
                Utf8(ClassOf(window)).c_str(), Shown(window) ? 1 : 0, place.left, place.top,
                place.right, place.bottom, Utf8(TextOf(window)).c_str());
}

void PrintChildren(HWND parent, int depth) {
    for (HWND child = ::GetWindow(parent, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        Print(child, depth);
        PrintChildren(child, depth + 1);
    }
}

BOOL CALLBACK PrintTopLevel(HWND window, LPARAM) {
    Print(window, 0);
    PrintChildren(window, 1);
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
        std::fprintf(stderr, "usage: BoxWatch.exe <desktop> [<text> <ms>]\n");
        return 2;
    }
    HDESK desktop = ::OpenDesktopW(argv[1], 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE);
    if (desktop == nullptr) {
        std::fprintf(stderr, "no desktop of that name\n");
        return 1;
    }
    if (argc == 4 && !WaitForBoxText(desktop, argv[2], std::wcstoul(argv[3], nullptr, 10))) {
        ::CloseDesktop(desktop);
        std::fprintf(stderr, "no box showed the text in time\n");
        return 3;
    }
    const BOOL listed = ::EnumDesktopWindows(desktop, PrintTopLevel, 0);
    ::CloseDesktop(desktop);
    std::fflush(stdout);
    return listed ? 0 : 1;
}
