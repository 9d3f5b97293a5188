#pragma once

// The file-exists test of the main window's load, the settings file and the CCleaner command.

#include "platform/FileSystem.h"
#include "platform/Types.h"

namespace dustvale {

// True when the first directory entry that matches `pattern` (wildcards match) is a normal
// file or a folder. Hidden and system entries are not seen.
// Never fails: a malformed name, a missing drive or folder answers false.
bool FileExists(FileSystem& files, const Text& pattern);

}  // namespace dustvale
