#include "platform/win32/Win32CommonControls.h"

#include "platform/win32/WindowsApi.h"

#include <commctrl.h>

#include <string_view>
#include <vector>

#include "platform/win32/UniqueHandle.h"

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

// The major version in an assembly's encoded identity, as the activation context gives it:
// Name,language="*",processorArchitecture="amd64",...,version="6.0.19041.1110".
std::uint32_t IdentityMajorVersion(std::wstring_view identity) {
    constexpr std::wstring_view kVersion = L",version=\"";
    const std::size_t at = identity.find(kVersion);
    if (at == std::wstring_view::npos) return 0;
    std::uint32_t major = 0;
    for (std::size_t i = at + kVersion.size(); i < identity.size(); ++i) {
        const wchar_t c = identity[i];
        if (c < L'0' || c > L'9' || major > 0xFFFF) break;
        major = major * 10 + static_cast<std::uint32_t>(c - L'0');
    }
    return major;
}

// The version of the assembly from which the process's activation context loads comctl32: the
// one a manifest asked for, or the system's own; 0 where the context does not redirect it
// (before side-by-side assemblies).
std::uint32_t RedirectedAssemblyVersion() {
    ACTCTX_SECTION_KEYED_DATA found{};
    found.cbSize = sizeof(found);
    if (!::FindActCtxSectionStringW(FIND_ACTCTX_SECTION_KEY_RETURN_HACTCTX, nullptr,
                                    ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll",
                                    &found)) {
        return 0;
    }
    const unique_actctx context(found.hActCtx);
    DWORD index = found.ulAssemblyRosterIndex;
    SIZE_T needed = 0;
    ::QueryActCtxW(0, context.get(), &index, AssemblyDetailedInformationInActivationContext,
                   nullptr, 0, &needed);
    if (needed < sizeof(ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION)) return 0;
    // Pointer-aligned storage: the record is followed by the texts it points at.
    std::vector<void*> buffer((needed + sizeof(void*) - 1) / sizeof(void*));
    if (!::QueryActCtxW(0, context.get(), &index, AssemblyDetailedInformationInActivationContext,
                        buffer.data(), buffer.size() * sizeof(void*), &needed)) {
        return 0;
    }
    const auto* assembly =
        reinterpret_cast<const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(buffer.data());
    const wchar_t* identity = assembly->lpAssemblyEncodedAssemblyIdentity;
    return identity != nullptr ? IdentityMajorVersion(identity) : 0;
}

// What the loaded library says of itself. Wine's version 6 reports 5.81 here, which is why
// the activation context is asked first.
std::uint32_t ReportedVersion() {
    const HMODULE library = ::GetModuleHandleW(L"comctl32.dll");
    if (library == nullptr) return 0;
    const auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void*>(::GetProcAddress(library, "DllGetVersion")));
    // Versions before 4.71 lack the call.
    if (getVersion == nullptr) return 4;
    DLLVERSIONINFO info{};
    info.cbSize = sizeof(info);
    return SUCCEEDED(getVersion(&info)) ? info.dwMajorVersion : 0;
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

std::uint32_t Win32CommonControls::LoadedVersion() {
    if (const std::uint32_t version = RedirectedAssemblyVersion(); version != 0) return version;
    return ReportedVersion();
}

}  // namespace dustvale::win32
