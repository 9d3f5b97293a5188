#include "settings/Manifest.h"

#include <array>

#include "common/TextRules.h"

namespace dustvale {

namespace {

constexpr std::int32_t kPlatformNt = 2;  // VER_PLATFORM_WIN32_NT
const Text kIdentityPrefix = u"Quillmere.Freeware.";

// As Windows spells the architectures in manifests.
Text ArchitectureName(Architecture architecture) {
    return architecture == Architecture::Amd64 ? u"amd64" : u"X86";
}

}  // namespace

Text ManifestPath(const Text& applicationFolder, const Text& executableName) {
    return EnsureTrailing(applicationFolder, u"\\") + executableName + u".exe.manifest";
}

Text ManifestText(const Text& executableName, Architecture architecture) {
    const Text identity = kIdentityPrefix + executableName;
    const Text processor = u"processorArchitecture=\"" + ArchitectureName(architecture) + u"\"";
    const std::array<Text, 22> lines = {
        u"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>",
        u"<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">",
        u"  <assemblyIdentity",
        u"    version=\"1.0.0.0\"",
        u"    " + processor,
        u"    name=\"" + identity + u"\"",
        u"    type=\"win32\"",
        u"  />",
        u"  <description>" + identity + u"</description>",
        u"  <dependency>",
        u"    <dependentAssembly>",
        u"      <assemblyIdentity",
        u"        type=\"win32\"",
        u"        name=\"Microsoft.Windows.Common-Controls\"",
        u"        version=\"6.0.0.0\"",
        u"        " + processor,
        u"        publicKeyToken=\"6595b64144ccf1df\"",
        u"        language=\"*\"",
        u"      />",
        u"    </dependentAssembly>",
        u"  </dependency>",
        u"</assembly>",
    };
    Text text;
    for (const Text& line : lines) {
        if (!text.empty()) text += u"\r\n";
        text += line;
    }
    return text;
}

bool IsXPOrLater(const std::optional<OsVersion>& version) {
    if (!version || version->platformId != kPlatformNt) return false;
    return (version->major >= 6 && version->minor >= 0) ||
           (version->major == 5 && version->minor >= 1);
}

bool IsXPOrLater(Kernel& kernel) { return IsXPOrLater(kernel.GetVersion()); }

}  // namespace dustvale
