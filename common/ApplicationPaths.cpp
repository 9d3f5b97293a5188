#include "common/ApplicationPaths.h"

namespace dustvale {

Text FolderOfModule(const Text& modulePath) {
    const auto slash = modulePath.find_last_of(u'\\');
    if (slash == Text::npos) return Text();
    Text folder = modulePath.substr(0, slash);
    // A drive's root keeps its backslash: "C:" alone would name the drive's current folder.
    if (folder.size() == 2 && folder[1] == u':') folder += u'\\';
    return folder;
}

Text NameOfModule(const Text& modulePath) {
    const auto slash = modulePath.find_last_of(u'\\');
    Text name = slash == Text::npos ? modulePath : modulePath.substr(slash + 1);
    if (const auto dot = name.find_last_of(u'.'); dot != Text::npos) name.erase(dot);
    return name;
}

Text ApplicationFolder(Kernel& kernel) { return FolderOfModule(kernel.ModuleFileName()); }

Text ExecutableName(Kernel& kernel) { return NameOfModule(kernel.ModuleFileName()); }

}  // namespace dustvale
