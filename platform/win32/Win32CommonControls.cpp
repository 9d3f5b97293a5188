#include "platform/win32/Win32CommonControls.h"

#include "platform/win32/WindowsApi.h"

#include <commctrl.h>

namespace dustvale::win32 {

namespace {

using InitCommonControlsExFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);

// comctl32 is a static import of the program (InitCommonControls), so it stays loaded for the
// life of the process; the extended call is looked up because old versions lack it.
InitCommonControlsExFunction FindInitCommonControlsEx() {
    HMODULE library = ::GetModuleHandleW(L"comctl32.dll");
    if (library == nullptr) return nullptr;
    return reinterpret_cast<InitCommonControlsExFunction>(
        reinterpret_cast<void*>(::GetProcAddress(library, "InitCommonControlsEx")));
}

}  // namespace

std::optional<bool> Win32CommonControls::InitCommonControlsEx(std::uint32_t classes) {
    const InitCommonControlsExFunction function = FindInitCommonControlsEx();
    if (function == nullptr) return std::nullopt;
    INITCOMMONCONTROLSEX init{};
    static_assert(sizeof(init) == 8);
    init.dwSize = sizeof(init);
    init.dwICC = classes;
    return function(&init) != FALSE;
}

void Win32CommonControls::InitCommonControls() { ::InitCommonControls(); }

}  // namespace dustvale::win32
