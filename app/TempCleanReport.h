#pragma once

// The box that closes a Temp Files run: what the clean did, or why it did nothing.

#include "clean/TempFolderCleaner.h"
#include "platform/Types.h"

namespace dustvale {

// "The Windows Temporary folder has been cleaned." after a clean that ran; after a refused one,
// one sentence that says so and why.
Text TempCleanReport(const TempCleanResult& result);

}  // namespace dustvale
