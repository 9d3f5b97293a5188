#include "settings/Autostart.h"

#include "common/ApplicationTitle.h"

namespace dustvale {

Text AutostartCommand(const Text& applicationFolder, const Text& executableName) {
    return u"\"" + applicationFolder + u"\\" + executableName + u".exe\"";
}

void WriteAutostart(Registry& registry, const Text& command) {
    OpenedKey run = registry.OpenCurrentUserKey(kRunKeyPath, reg::kKeyWrite);
    if (run.status != reg::kSuccess || !run.key) return;
    // Nothing reports a failed write: the check box keeps the state the user gave it.
    run.key->SetStringValue(kApplicationTitle, command);
}

void DeleteAutostart(Registry& registry) {
    OpenedKey run = registry.OpenCurrentUserKey(kRunKeyPath, reg::kKeyWrite);
    if (run.status != reg::kSuccess || !run.key) return;
    run.key->DeleteValue(kApplicationTitle);
}

}  // namespace dustvale
