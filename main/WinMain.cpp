// The Windows entry point: the real platform services, handed to the program.

#include "app/Application.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WindowsApi.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    dustvale::win32::DeclareDpiAware();
    dustvale::win32::Win32Platform services;
    dustvale::Platform platform = services.platform();
    return services.Finish(dustvale::RunApplication(platform));
}
