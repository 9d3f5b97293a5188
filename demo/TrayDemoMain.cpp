// The tray demo's Windows entry point: the real platform services and the command line,
// handed to the portable demo.

#include <memory>
#include <vector>

#include "demo/TrayDemo.h"
#include "platform/win32/Win32CommonControls.h"
#include "platform/win32/Win32Convert.h"
#include "platform/win32/Win32Dialogs.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Kernel.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32UserInterface.h"
#include "platform/win32/Win32Windowing.h"
#include "platform/win32/WindowsApi.h"

namespace {

struct LocalFreeDeleter {
    void operator()(wchar_t** block) const { ::LocalFree(block); }
};

// The arguments after the program's name, split as the C run-time would split them.
std::vector<dustvale::Text> Arguments() {
    int count = 0;
    const std::unique_ptr<wchar_t*, LocalFreeDeleter> argv(
        ::CommandLineToArgvW(::GetCommandLineW(), &count));
    std::vector<dustvale::Text> args;
    for (int i = 1; argv && i < count; ++i) {
        args.push_back(dustvale::win32::FromWide(argv.get()[i]));
    }
    return args;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
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
    return dustvale::demo::RunTrayDemo(platform, Arguments());
}
