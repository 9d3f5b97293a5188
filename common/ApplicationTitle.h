#pragma once

#include "platform/Types.h"

namespace dustvale {

// The title of the program's message boxes and the tooltip of an empty Recycle Bin.
inline const Text kApplicationTitle = u"Dustvale";

}  // namespace dustvale
