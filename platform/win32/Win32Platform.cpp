#include "platform/win32/Win32Platform.h"

#include "platform/win32/WindowsApi.h"

namespace dustvale::win32 {

namespace {

// A request that ends by itself (a query of a small bin) is given a moment to do so.
constexpr DWORD kLastWaitMs = 300;

}  // namespace

int Win32Platform::Finish(int exitCode) {
    if (shell.WorkerThreads().AllEndWithin(kLastWaitMs)) return exitCode;
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(exitCode));
    return exitCode;
}

void DeclareDpiAware() {
    // Both looked up, since systems before Vista do not have them.
    using DpiAwarenessFunction = BOOL(WINAPI*)();
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    if (user32 == nullptr) return;
    const auto find = [user32](const char* name) {
        return reinterpret_cast<DpiAwarenessFunction>(
            reinterpret_cast<void*>(::GetProcAddress(user32, name)));
    };
    // Where the manifest's setting was read the process is aware already (per monitor where
    // the system can), and the older call has nothing to add.
    const DpiAwarenessFunction isAware = find("IsProcessDPIAware");
    if (isAware != nullptr && isAware()) return;
    if (const DpiAwarenessFunction declare = find("SetProcessDPIAware")) declare();
}

}  // namespace dustvale::win32
