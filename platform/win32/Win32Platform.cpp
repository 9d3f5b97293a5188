#include "platform/win32/Win32Platform.h"

#include "platform/win32/WindowsApi.h"

namespace dustvale::win32 {

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
