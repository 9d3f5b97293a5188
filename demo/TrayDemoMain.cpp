// The tray demo's Windows entry point: the real platform services and the command line,
// handed to the portable demo.

#include <memory>
#include <vector>

#include "demo/TrayDemo.h"
#include "platform/win32/Win32Convert.h"
#include "platform/win32/Win32Platform.h"
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
    dustvale::win32::Win32Platform services;
    dustvale::Platform platform = services.platform();
    return dustvale::demo::RunTrayDemo(platform, Arguments());
}
