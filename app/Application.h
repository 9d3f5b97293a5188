#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace dustvale {

// The whole program on a given platform: creates the main window, runs the message loop until
// none of the program's windows is open any more, and returns the loop's exit code.
std::int32_t RunApplication(Platform& platform);

}  // namespace dustvale
