#include "platform/win32/Win32Windowing.h"

#include <string>
#include <vector>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Convert.h"
#include "platform/win32/Win32Dialogs.h"

namespace dustvale::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"DustvaleWindow";
// The handler of a replaced procedure lives in a window property, so that any window, of
// any class, can be hooked without touching its GWLP_USERDATA.
constexpr wchar_t kSubclassProperty[] = L"Dustvale.Subclass";
// How long a window of another thread or program may take to answer before it counts as hung.
constexpr UINT kForeignWindowTimeoutMs = 1000;

MessageHandler* HandlerOf(HWND hwnd) {
    return reinterpret_cast<MessageHandler*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// The procedure of every window of the class: the handler given at creation travels in
// CREATESTRUCT and is bound to the window at WM_NCCREATE.
LRESULT CALLBACK SharedWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    MessageHandler* handler = HandlerOf(hwnd);
    if (handler == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    const LResult result =
        handler->HandleMessage(FromHwnd(hwnd), static_cast<std::int32_t>(message),
                               FromWParam(wParam), FromLParam(lParam));
    if (message == WM_NCDESTROY) ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    return ToLResult(result);
}

// The procedure that SubclassWindow installs.
LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* handler = static_cast<MessageHandler*>(::GetPropW(hwnd, kSubclassProperty));
    if (handler == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    const LResult result =
        handler->HandleMessage(FromHwnd(hwnd), static_cast<std::int32_t>(message),
                               FromWParam(wParam), FromLParam(lParam));
    // A property must not outlive its window.
    if (message == WM_NCDESTROY) ::RemovePropW(hwnd, kSubclassProperty);
    return ToLResult(result);
}

}  // namespace

Win32Windowing::Win32Windowing() : instance_(::GetModuleHandleW(nullptr)) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = SharedWindowProc;
    windowClass.hInstance = instance_;
    windowClass.lpszClassName = kWindowClass;
    windowClass_ = ::RegisterClassExW(&windowClass);
}

Win32Windowing::~Win32Windowing() {
    if (windowClass_ != 0) ::UnregisterClassW(kWindowClass, instance_);
}

Hwnd Win32Windowing::CreateWindow(WindowKind kind, Hwnd parent, MessageHandler* handler) {
    // A hidden owner is a tool-window pop-up that is never shown: no taskbar button, no
    // place in Alt+Tab.
    const bool child = kind == WindowKind::Child;
    const DWORD style = child ? WS_CHILD : WS_POPUP;
    const DWORD exStyle = child ? 0 : WS_EX_TOOLWINDOW;
    const HWND hwnd =
        ::CreateWindowExW(exStyle, kWindowClass, L"", style, 0, 0, 0, 0,
                          child ? ToHwnd(parent) : nullptr, nullptr, instance_, handler);
    return FromHwnd(hwnd);
}

void Win32Windowing::DestroyWindow(Hwnd hwnd) { ::DestroyWindow(ToHwnd(hwnd)); }

WindowProc Win32Windowing::SubclassWindow(Hwnd hwnd, MessageHandler& handler) {
    const HWND window = ToHwnd(hwnd);
    // One subclass at a time: the property holds one handler, and a second subclass would
    // return this very procedure as the "previous" one and call itself without end.
    if (::GetPropW(window, kSubclassProperty) != nullptr) return 0;
    if (!::SetPropW(window, kSubclassProperty, &handler)) return 0;
    // Every window has a procedure, so a previous one of 0 means the call failed (a window
    // of another process, or none at all).
    const LONG_PTR previous =
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc));
    if (previous == 0) {
        ::RemovePropW(window, kSubclassProperty);
        return 0;
    }
    return static_cast<WindowProc>(previous);
}

void Win32Windowing::RestoreWindowProc(Hwnd hwnd, WindowProc previous) {
    const HWND window = ToHwnd(hwnd);
    ::SetWindowLongPtrW(window, GWLP_WNDPROC, static_cast<LONG_PTR>(previous));
    ::RemovePropW(window, kSubclassProperty);
}

LResult Win32Windowing::CallWindowProc(WindowProc proc, Hwnd hwnd, std::int32_t message,
                                       WParam wParam, LParam lParam) {
    if (proc == 0) return 0;
    return FromLResult(::CallWindowProcW(reinterpret_cast<WNDPROC>(proc), ToHwnd(hwnd),
                                         static_cast<UINT>(message), ToWParam(wParam),
                                         ToLParam(lParam)));
}

LResult Win32Windowing::DefWindowProc(Hwnd hwnd, std::int32_t message, WParam wParam,
                                      LParam lParam) {
    return FromLResult(::DefWindowProcW(ToHwnd(hwnd), static_cast<UINT>(message),
                                        ToWParam(wParam), ToLParam(lParam)));
}

std::uint32_t Win32Windowing::SetTimer(Hwnd hwnd, std::uint32_t id, std::uint32_t periodMs) {
    // No timer procedure: WM_TIMER goes to whatever procedure the window has at the time.
    return static_cast<std::uint32_t>(::SetTimer(ToHwnd(hwnd), id, periodMs, nullptr));
}

bool Win32Windowing::KillTimer(Hwnd hwnd, std::uint32_t id) {
    return ::KillTimer(ToHwnd(hwnd), id) != FALSE;
}

Hwnd Win32Windowing::FindWindow(const Text& className) {
    return FromHwnd(::FindWindowW(Wide(className), nullptr));
}

std::int32_t Win32Windowing::RegisterWindowMessage(const Text& name) {
    return static_cast<std::int32_t>(::RegisterWindowMessageW(Wide(name)));
}

bool Win32Windowing::AllowMessageFromLowerIntegrity(Hwnd hwnd, std::int32_t message) {
    // Windows 7 filters per window; Vista only for the whole process. Looked up, since the
    // program also runs on Vista.
    using FilterWindowFunction = BOOL(WINAPI*)(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT);
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    if (user32 == nullptr) return false;
    const auto filterWindow = reinterpret_cast<FilterWindowFunction>(
        reinterpret_cast<void*>(::GetProcAddress(user32, "ChangeWindowMessageFilterEx")));
    if (filterWindow != nullptr) {
        return filterWindow(ToHwnd(hwnd), static_cast<UINT>(message), MSGFLT_ALLOW, nullptr) !=
               FALSE;
    }
    return ::ChangeWindowMessageFilter(static_cast<UINT>(message), MSGFLT_ADD) != FALSE;
}

bool Win32Windowing::SetForegroundWindow(Hwnd hwnd) {
    return ::SetForegroundWindow(ToHwnd(hwnd)) != FALSE;
}

bool Win32Windowing::MoveWindow(Hwnd hwnd, Point topLeftPixels) {
    return ::SetWindowPos(ToHwnd(hwnd), nullptr, topLeftPixels.x, topLeftPixels.y, 0, 0,
                          SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

bool Win32Windowing::PostMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                                 LParam lParam) {
    return ::PostMessageW(ToHwnd(hwnd), static_cast<UINT>(message), ToWParam(wParam),
                          ToLParam(lParam)) != FALSE;
}

LResult Win32Windowing::SendMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                                    LParam lParam) {
    const HWND window = ToHwnd(hwnd);
    if (::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId()) {
        // Explorer's balloon and tooltip windows, say: one that has stopped answering counts
        // as answering 0 rather than hanging us with it.
        DWORD_PTR answer = 0;
        if (!::SendMessageTimeoutW(window, static_cast<UINT>(message), ToWParam(wParam),
                                   ToLParam(lParam), SMTO_ABORTIFHUNG, kForeignWindowTimeoutMs,
                                   &answer)) {
            return 0;
        }
        return static_cast<LResult>(answer);
    }
    return FromLResult(
        ::SendMessageW(window, static_cast<UINT>(message), ToWParam(wParam), ToLParam(lParam)));
}

std::int32_t Win32Windowing::ScreenDpi() {
    return static_cast<std::int32_t>(DpiFunctions::System());
}

std::int32_t Win32Windowing::GetDpiForWindow(Hwnd hwnd) {
    return static_cast<std::int32_t>(dpi_.ForWindow(ToHwnd(hwnd)));
}

std::int32_t Win32Windowing::SmallIconSizeForDpi(std::int32_t dpi) {
    if (dpi <= 0) return 0;
    return dpi_.SystemMetric(SM_CXSMICON, static_cast<UINT>(dpi));
}

Hwnd Win32Windowing::GetDesktopWindow() { return FromHwnd(::GetDesktopWindow()); }

Hwnd Win32Windowing::GetWindow(Hwnd hwnd, WindowRelation relation) {
    return FromHwnd(::GetWindow(ToHwnd(hwnd), static_cast<UINT>(relation)));
}

Text Win32Windowing::GetClassName(Hwnd hwnd) {
    wchar_t name[256] = {};
    const int length = ::GetClassNameW(ToHwnd(hwnd), name, 256);
    return length > 0 ? FromWide(name, static_cast<std::size_t>(length)) : Text{};
}

namespace {
// A search of the desktop's top-level windows by class name.
struct ClassSearch {
    const Text& className;
    std::vector<Hwnd> found;
};

BOOL CALLBACK CollectWindowOfClass(HWND window, LPARAM lParam) {
    auto& search = *reinterpret_cast<ClassSearch*>(lParam);
    wchar_t name[256] = {};
    const int length = ::GetClassNameW(window, name, 256);
    // Class names ignore letter case, as FindWindowW does.
    if (length > 0 && ::CompareStringOrdinal(name, length, Wide(search.className),
                                             static_cast<int>(search.className.size()),
                                             TRUE) == CSTR_EQUAL) {
        search.found.push_back(FromHwnd(window));
    }
    return TRUE;
}
}  // namespace

std::vector<Hwnd> Win32Windowing::FindWindows(const Text& className) {
    // EnumWindows takes its list of the desktop's windows first, so that windows made or
    // destroyed meanwhile cannot send the walk round in circles, as a GetWindow walk may.
    ClassSearch search{className, {}};
    ::EnumWindows(CollectWindowOfClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

Text Win32Windowing::DesktopName() {
    // The thread's desktop handle belongs to the system: it is not closed.
    const HDESK desktop = ::GetThreadDesktop(::GetCurrentThreadId());
    if (desktop == nullptr) return {};
    wchar_t name[256] = {};
    DWORD needed = 0;
    if (!::GetUserObjectInformationW(desktop, UOI_NAME, name, sizeof(name), &needed)) return {};
    return FromWide(name);
}

Text Win32Windowing::SendGetText(Hwnd hwnd, std::int32_t bufferChars) {
    if (bufferChars <= 0) return {};
    // The system copies the text across processes for WM_GETTEXT. The window may belong to
    // another program that has stopped answering: give up on it rather than hang with it
    // (the buffer then stays NUL-filled).
    std::wstring buffer(static_cast<std::size_t>(bufferChars), L'\0');
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(ToHwnd(hwnd), WM_GETTEXT, static_cast<WPARAM>(bufferChars),
                          reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                          kForeignWindowTimeoutMs, &copied);
    return FromWide(buffer.data(), buffer.size());
}

void Win32Windowing::SetWindowText(Hwnd hwnd, const Text& text) {
    ::SetWindowTextW(ToHwnd(hwnd), Wide(text));
}

Point Win32Windowing::GetCursorPos() {
    POINT point{};
    if (!::GetCursorPos(&point)) return {};
    return {point.x, point.y};
}

std::int32_t Win32Windowing::RunMessageLoop() {
    MSG message{};
    for (;;) {
        const BOOL result = ::GetMessageW(&message, nullptr, 0, 0);
        if (result == 0) return static_cast<std::int32_t>(message.wParam);
        if (result == -1) return -1;
        if (TranslateDialogMessage(message)) continue;  // the dialogs' keyboard
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

void Win32Windowing::PostQuitMessage(std::int32_t exitCode) { ::PostQuitMessage(exitCode); }

void Win32Windowing::ProcessPendingMessages() {
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The quit belongs to the main loop: give it back and stop here.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (TranslateDialogMessage(message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

}  // namespace dustvale::win32
