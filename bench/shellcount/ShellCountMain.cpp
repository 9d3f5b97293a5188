// DustvaleShellCount.exe: Dustvale with the Recycle Bin counted and emptied through the shell
// on every system, as it was under Wine before it counted and emptied the Trash itself. Built
// only for the Trash benchmark (bench/trash.py), which measures both side by side; not shipped.

#include "app/Application.h"
#include "app/RecycleBinAccess.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WindowsApi.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    dustvale::win32::DeclareDpiAware();
    dustvale::win32::Win32Platform services;
    dustvale::Platform platform = services.platform();
    dustvale::ShellRecycleBin shell(platform);
    return services.Finish(dustvale::RunApplication(platform, shell));
}
