#pragma once

// user32 windows for the program: one window class whose shared procedure hands messages to
// the window's MessageHandler, replaceable procedures, timers and the message loop.

#include "platform/Windowing.h"
#include "platform/win32/Win32Dpi.h"
#include "platform/win32/WindowsApi.h"

namespace dustvale::win32 {

class Win32Windowing final : public Windowing {
public:
    Win32Windowing();
    ~Win32Windowing() override;
    Win32Windowing(const Win32Windowing&) = delete;
    Win32Windowing& operator=(const Win32Windowing&) = delete;

    Hwnd CreateWindow(WindowKind kind, Hwnd parent, MessageHandler* handler) override;
    void DestroyWindow(Hwnd hwnd) override;
    WindowProc SubclassWindow(Hwnd hwnd, MessageHandler& handler) override;
    void RestoreWindowProc(Hwnd hwnd, WindowProc previous) override;
    LResult CallWindowProc(WindowProc proc, Hwnd hwnd, std::int32_t message, WParam wParam,
                           LParam lParam) override;
    LResult DefWindowProc(Hwnd hwnd, std::int32_t message, WParam wParam,
                          LParam lParam) override;
    std::uint32_t SetTimer(Hwnd hwnd, std::uint32_t id, std::uint32_t periodMs) override;
    bool KillTimer(Hwnd hwnd, std::uint32_t id) override;
    Hwnd FindWindow(const Text& className) override;
    std::int32_t RegisterWindowMessage(const Text& name) override;
    bool AllowMessageFromLowerIntegrity(Hwnd hwnd, std::int32_t message) override;
    bool SetForegroundWindow(Hwnd hwnd) override;
    bool MoveWindow(Hwnd hwnd, Point topLeftPixels) override;
    bool PostMessage(Hwnd hwnd, std::int32_t message, WParam wParam, LParam lParam) override;
    LResult SendMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                        LParam lParam) override;
    std::int32_t ScreenDpi() override;
    std::int32_t GetDpiForWindow(Hwnd hwnd) override;
    std::int32_t SmallIconSizeForDpi(std::int32_t dpi) override;
    Point GetCursorPos() override;
    Hwnd GetDesktopWindow() override;
    Hwnd GetWindow(Hwnd hwnd, WindowRelation relation) override;
    Text GetClassName(Hwnd hwnd) override;
    std::vector<Hwnd> FindWindows(const Text& className) override;
    Text DesktopName() override;
    Text SendGetText(Hwnd hwnd, std::int32_t bufferChars) override;
    void SetWindowText(Hwnd hwnd, const Text& text) override;
    std::int32_t RunMessageLoop() override;
    void PostQuitMessage(std::int32_t exitCode) override;
    void ProcessPendingMessages() override;

private:
    HINSTANCE instance_ = nullptr;
    ATOM windowClass_ = 0;
    DpiFunctions dpi_;
};

}  // namespace dustvale::win32
