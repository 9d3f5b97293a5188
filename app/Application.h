#pragma once

#include <cstdint>

#include "app/RecycleBinAccess.h"
#include "platform/Platform.h"

namespace dustvale {

// The whole program on a given platform: creates the main window, runs the message loop until
// none of the program's windows is open any more, and returns the loop's exit code. The
// Recycle Bin is reached through `recycleBin`, by default the access the platform calls for.
std::int32_t RunApplication(Platform& platform, RecycleBinAccess& recycleBin);
std::int32_t RunApplication(Platform& platform);

}  // namespace dustvale
