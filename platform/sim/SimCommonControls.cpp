#include "platform/sim/SimCommonControls.h"

namespace dustvale::sim {

std::optional<bool> SimCommonControls::InitCommonControlsEx(std::uint32_t classes) {
    if (exResult_) exCalls_.push_back(classes);
    return exResult_;
}

void SimCommonControls::InitCommonControls() { ++plainCalls_; }

}  // namespace dustvale::sim
