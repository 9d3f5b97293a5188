// Windows refuses to start a 64-bit program whose manifest asks for the x86 common controls:
// the manifest built into the executable and the one the program writes beside it both name
// the executable's own architecture. (This executable embeds Dustvale.exe's resources.)

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/Win32Kernel.h"
#include "platform/win32/WindowsApi.h"
#include "settings/Manifest.h"

namespace dustvale::contract {
namespace {

// Every processorArchitecture value in a manifest, in order.
std::vector<std::string> ArchitecturesNamed(std::string_view manifest) {
    constexpr std::string_view kAttribute = "processorArchitecture=\"";
    std::vector<std::string> names;
    for (std::size_t at = manifest.find(kAttribute); at != std::string_view::npos;
         at = manifest.find(kAttribute, at)) {
        at += kAttribute.size();
        const std::size_t end = manifest.find('"', at);
        if (end == std::string_view::npos) break;
        names.emplace_back(manifest.substr(at, end - at));
    }
    return names;
}

std::string EmbeddedManifest() {
    const HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_MANIFEST);
    if (found == nullptr) return {};
    // A module's resources stay mapped for its whole life: nothing to release.
    const HGLOBAL loaded = ::LoadResource(nullptr, found);
    const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (bytes == nullptr) return {};
    return std::string(static_cast<const char*>(bytes), ::SizeofResource(nullptr, found));
}

TEST(Win32Manifests, BothNameTheExecutablesOwnArchitectureTwice) {
    const std::string own = sizeof(void*) == 8 ? "amd64" : "X86";
    const std::vector<std::string> expected{own, own};  // the program, the common controls

    EXPECT_EQ(ArchitecturesNamed(EmbeddedManifest()), expected);

    win32::Win32Kernel kernel;
    const std::string written =
        kernel.ToAnsi(ManifestText(u"Dustvale", kernel.ExecutableArchitecture()));
    EXPECT_EQ(ArchitecturesNamed(written), expected);
}

}  // namespace
}  // namespace dustvale::contract
