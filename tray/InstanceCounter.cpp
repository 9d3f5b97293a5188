// The instance number. Each instance takes it once, when it is loaded.

#include <limits>

#include "tray/TrayErrors.h"
#include "tray/ctlSysTrayBalloon.h"

namespace dustvale {

namespace {
// Counts a call; the count stops at its limit rather than wrapping round to 1 again.
std::int16_t CountCall(std::int16_t& calls) {
    if (calls < std::numeric_limits<std::int16_t>::max()) {
        ++calls;
    }
    return calls;
}
}  // namespace

std::int32_t ctlSysTrayBalloon::SingletonIncrement(const Text& /*name*/) {
    if (CountCall(IncrementCalls_) != 1) {
        RaisePgmError(u"SingletonIncrement", trayerror::kCalledTwice, trayerror::kWrongUseText);
        return 0;
    }
    // The platform has no named shared memory yet: every instance is number 1.
    return 1;
}

std::int32_t ctlSysTrayBalloon::SingletonDecrement(const Text& /*name*/) {
    if (CountCall(DecrementCalls_) != 1) {
        RaisePgmError(u"SingletonDecrement", trayerror::kCalledTwice, trayerror::kWrongUseText);
        return 0;
    }
    return 0;
}

}  // namespace dustvale
