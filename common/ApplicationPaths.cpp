#include "common/ApplicationPaths.h"

namespace dustvale {

Text ApplicationFolder(const Text& executablePath) {
    const auto slash = executablePath.find_last_of(u'\\');
    if (slash == Text::npos) return Text();
    Text folder = executablePath.substr(0, slash);
    // A drive's root keeps its backslash: "C:" alone would name the drive's current folder.
    if (folder.size() == 2 && folder[1] == u':') folder += u'\\';
    return folder;
}

Text ExecutableName(const Text& executablePath) {
    const auto slash = executablePath.find_last_of(u'\\');
    Text name = slash == Text::npos ? executablePath : executablePath.substr(slash + 1);
    if (const auto dot = name.find_last_of(u'.'); dot != Text::npos) name.erase(dot);
    return name;
}

Text ApplicationFolder(Kernel& kernel) { return ApplicationFolder(kernel.ModuleFileName()); }

Text ExecutableName(Kernel& kernel) { return ExecutableName(kernel.ModuleFileName()); }

}  // namespace dustvale
