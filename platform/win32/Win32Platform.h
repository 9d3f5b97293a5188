#pragma once

// The real platform services, owned together, and the bundle of references the program's
// objects receive. Every Win32 entry point (the program, the tray demo, the contract tests)
// makes one of these.

#include "platform/Platform.h"
#include "platform/win32/Win32CommonControls.h"
#include "platform/win32/Win32Dialogs.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Kernel.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32UserInterface.h"
#include "platform/win32/Win32Windowing.h"

namespace dustvale::win32 {

class Win32Platform {
public:
    Win32Platform() = default;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    Platform platform() {
        return Platform{shell, windows, files, kernel, ui, registry, commonControls, dialogs};
    }

    // The end of a program that is done (its icon gone, its files closed): returns
    // `exitCode` for the usual end of the process, unless a Recycle Bin request it gave up on
    // still holds a thread inside the shell. Then the process ends here, without the DLL
    // detach code that ExitProcess would run, which could wait for ever on a lock that thread
    // holds.
    int Finish(int exitCode);

    Win32Shell shell;
    Win32Windowing windows;
    Win32FileSystem files;
    Win32Kernel kernel;
    Win32UserInterface ui;
    Win32Registry registry;
    Win32CommonControls commonControls;
    Win32Dialogs dialogs;
};

// The executable's manifest makes the process DPI-aware, per monitor from Windows 8.1 on. Where
// the system did not read that setting, the process declares itself aware of the system's DPI
// instead, so that it still draws at the screen's real DPI rather than being stretched.
void DeclareDpiAware();

}  // namespace dustvale::win32
