#pragma once

// Windows, window procedures, timers and the message loop (user32).

#include <cstdint>
#include <vector>

#include "platform/Types.h"

namespace dustvale {

// The receiving end of a window procedure. Whoever installs a handler keeps it alive until the
// window is destroyed or the handler is replaced. Nothing may escape HandleMessage: an
// exception in a window procedure is a crash of the whole program.
class MessageHandler {
public:
    virtual LResult HandleMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                                  LParam lParam) noexcept = 0;

protected:
    ~MessageHandler() = default;
};

// The identity of a window procedure, as SetWindowLongPtr(GWLP_WNDPROC) returns it. 0 is none.
using WindowProc = std::uintptr_t;

enum class WindowKind {
    HiddenOwner,  // top-level, never shown, no taskbar button: owns menus, timers and tray icons
    Child,        // a child of `parent`, as a user control's own window
};

// The class of every window the program creates: another process of the program finds them by
// it on its desktop.
inline constexpr char16_t kProgramWindowClass[] = u"DustvaleWindow";

// GetWindow's relations (GW_HWNDNEXT, GW_CHILD).
enum class WindowRelation : std::uint32_t { Next = 2, FirstChild = 5 };

class Windowing {
public:
    virtual ~Windowing() = default;

    // Creates a window whose procedure hands every message to `handler` (the default window
    // procedure when handler is null). Returns 0 on failure.
    virtual Hwnd CreateWindow(WindowKind kind, Hwnd parent, MessageHandler* handler) = 0;
    virtual void DestroyWindow(Hwnd hwnd) = 0;

    // Replaces the window's procedure by one that calls `handler`; returns the previous
    // procedure, 0 on failure (SetWindowLongPtr with GWLP_WNDPROC).
    virtual WindowProc SubclassWindow(Hwnd hwnd, MessageHandler& handler) = 0;
    // Gives the window back a procedure that SubclassWindow returned.
    virtual void RestoreWindowProc(Hwnd hwnd, WindowProc previous) = 0;
    // CallWindowProc.
    virtual LResult CallWindowProc(WindowProc proc, Hwnd hwnd, std::int32_t message,
                                   WParam wParam, LParam lParam) = 0;
    // DefWindowProc: the system's own handling of a message that a handler leaves alone.
    virtual LResult DefWindowProc(Hwnd hwnd, std::int32_t message, WParam wParam,
                                  LParam lParam) = 0;

    // SetTimer on the window itself, so that WM_TIMER reaches the window's current procedure
    // with the id in wParam. Returns the id on success, 0 on failure.
    virtual std::uint32_t SetTimer(Hwnd hwnd, std::uint32_t id, std::uint32_t periodMs) = 0;
    virtual bool KillTimer(Hwnd hwnd, std::uint32_t id) = 0;

    // FindWindow by class name only.
    virtual Hwnd FindWindow(const Text& className) = 0;
    // RegisterWindowMessageW: the message every program that registers `name` receives
    // (0xC000 to 0xFFFF, the same for names that differ only in letter case); 0 on failure.
    virtual std::int32_t RegisterWindowMessage(const Text& name) = 0;
    // ChangeWindowMessageFilterEx(MSGFLT_ALLOW): lets `message` reach the window from
    // processes of lower integrity, which the system keeps away from an elevated program's
    // windows. True when the message now gets through.
    virtual bool AllowMessageFromLowerIntegrity(Hwnd hwnd, std::int32_t message) = 0;
    virtual bool SetForegroundWindow(Hwnd hwnd) = 0;
    // Moves a window to screen coordinates in pixels, keeping its size.
    virtual bool MoveWindow(Hwnd hwnd, Point topLeftPixels) = 0;
    virtual bool PostMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                             LParam lParam) = 0;
    // SendMessageW. A window of another thread (another program's above all) may have stopped
    // answering: it gets a second, after which the answer counts as 0, rather than hanging the
    // program with it.
    virtual LResult SendMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                                LParam lParam) = 0;

    // Pixels per logical inch of the screen (96 at 100 %): the system's DPI, which the
    // scaling of the main monitor at log-on decides.
    virtual std::int32_t ScreenDpi() = 0;
    // GetDpiForWindow: the DPI of the monitor the window is on now (another program's window
    // answers as that program is aware of DPI; the shell's taskbar, per monitor); 0 when
    // there is no such window. Systems before Windows 10 1607 answer with the system's DPI.
    virtual std::int32_t GetDpiForWindow(Hwnd hwnd) = 0;
    // GetSystemMetricsForDpi(SM_CXSMICON): the side of a small icon (a title bar's, the
    // tray's) at `dpi`, in pixels.
    virtual std::int32_t SmallIconSizeForDpi(std::int32_t dpi) = 0;
    virtual Point GetCursorPos() = 0;

    // The walk of the desktop's top-level windows, in z-order from the top, and what can be
    // read of any window, also one of another program.
    virtual Hwnd GetDesktopWindow() = 0;
    // GetWindow: the related window, 0 when there is none (or `hwnd` no longer exists).
    virtual Hwnd GetWindow(Hwnd hwnd, WindowRelation relation) = 0;
    // GetClassNameW with a buffer of 256 characters; empty on failure.
    virtual Text GetClassName(Hwnd hwnd) = 0;
    // The top-level windows of a class (its name in any letter case) on the caller's desktop,
    // from the top of the z-order, as EnumWindows lists them at the time of the call.
    virtual std::vector<Hwnd> FindWindows(const Text& className) = 0;
    // The name of the caller's desktop ("Default" on an ordinary Windows log-on), from
    // GetUserObjectInformationW(GetThreadDesktop, UOI_NAME); empty when the system cannot tell.
    virtual Text DesktopName() = 0;
    // SendMessageW WM_GETTEXT with a buffer of `bufferChars` characters, NUL-filled before the
    // call, with SendMessage's time-out: the whole buffer afterwards (at most bufferChars - 1
    // characters of the text, then NULs). Empty when bufferChars is not positive.
    virtual Text SendGetText(Hwnd hwnd, std::int32_t bufferChars) = 0;
    // SetWindowTextW: the text that the window list and WM_GETTEXT show for the window.
    virtual void SetWindowText(Hwnd hwnd, const Text& text) = 0;

    // Runs the message loop until PostQuitMessage; returns its exit code.
    virtual std::int32_t RunMessageLoop() = 0;
    virtual void PostQuitMessage(std::int32_t exitCode) = 0;
    // Lets the pending messages run, then returns (the yield of a long operation).
    virtual void ProcessPendingMessages() = 0;
};

}  // namespace dustvale
