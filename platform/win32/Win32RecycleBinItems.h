#pragma once

// The Recycle Bin's items through the shell's namespace: listed with their sizes and deletion
// dates, and the chosen ones deleted for good through IFileOperation on the very items listed.

#include <cstdint>
#include <optional>

#include "platform/Shell.h"

namespace dustvale::win32 {

// See Shell::RemoveRecycleBinItems. The calling thread has COM started.
std::optional<std::uint64_t> RemoveRecycleBinItemsNow(const RecycleBinItemChooser& choose);

}  // namespace dustvale::win32
