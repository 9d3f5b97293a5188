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
    // Looked up, since systems before Vista do not have the call.
    using SetProcessDpiAwareFunction = BOOL(WINAPI*)();
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    if (user32 == nullptr) return;
    const auto declare = reinterpret_cast<SetProcessDpiAwareFunction>(
        reinterpret_cast<void*>(::GetProcAddress(user32, "SetProcessDPIAware")));
    if (declare != nullptr) declare();
}

}  // namespace dustvale::win32
