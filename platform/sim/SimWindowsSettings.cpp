// The parts of the simulated Windows that the settings use: registry, common controls and
// dialogs.

#include "platform/sim/SimWindows.h"

namespace dustvale::sim {

SimRegistry& SimWindows::registry() { return *registry_; }
SimCommonControls& SimWindows::commonControls() { return *commonControls_; }
SimDialogs& SimWindows::dialogs() { return *dialogs_; }

}  // namespace dustvale::sim
