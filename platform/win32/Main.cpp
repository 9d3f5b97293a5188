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

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    dustvale::win32::Win32Shell shell;
    dustvale::win32::Win32Windowing windows;
    dustvale::win32::Win32FileSystem files;
    dustvale::win32::Win32Kernel kernel;
    dustvale::win32::Win32UserInterface ui;
    dustvale::win32::Win32Registry registry;
    dustvale::win32::Win32CommonControls commonControls;
    dustvale::win32::Win32Dialogs dialogs;
    dustvale::Platform platform{shell, windows, files, kernel, ui, registry, commonControls, dialogs};
    return dustvale::RunApplication(platform);
}
