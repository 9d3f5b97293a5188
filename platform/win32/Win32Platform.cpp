#include "platform/win32/Win32Platform.h"

#include "platform/win32/WindowsApi.h"

namespace dustvale::win32 {

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
