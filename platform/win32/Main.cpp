// The Windows entry point: the real platform services, bundled for the program.

#include "platform/win32/Win32CommonControls.h"
#include "platform/win32/Win32Dialogs.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Kernel.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32UserInterface.h"
#include "platform/win32/Win32Windowing.h"
#include "platform/win32/WindowsApi.h"

#include "app/Application.h"

namespace {

// The program draws at the screen's real DPI: the tray takes the 20, 24 or 32-pixel pictures
// at 125-200 % scaling instead of a blurred 16-pixel one, and the Options dialog is laid out
// in pixels at that DPI. Looked up, since systems before Vista do not have the call.
void DeclareDpiAware() {
    using SetProcessDpiAwareFunction = BOOL(WINAPI*)();
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    if (user32 == nullptr) return;
    const auto declare = reinterpret_cast<SetProcessDpiAwareFunction>(
        reinterpret_cast<void*>(::GetProcAddress(user32, "SetProcessDPIAware")));
    if (declare != nullptr) declare();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    DeclareDpiAware();
    dustvale::win32::Win32Shell shell;
    dustvale::win32::Win32Windowing windows;
    dustvale::win32::Win32FileSystem files;
    dustvale::win32::Win32Kernel kernel;
    dustvale::win32::Win32UserInterface ui;
    dustvale::win32::Win32Registry registry;
    dustvale::win32::Win32CommonControls commonControls;
    dustvale::win32::Win32Dialogs dialogs;
    dustvale::Platform platform{shell,    windows,  files,          kernel,
                                ui,       registry, commonControls, dialogs};
    return dustvale::RunApplication(platform);
}
