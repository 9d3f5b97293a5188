#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace dustvale {

// The whole program on a given platform: creates the main form, runs the message loop until
// no form is loaded any more, and returns the loop's exit code.
std::int32_t RunApplication(Platform& platform);

}  // namespace dustvale
