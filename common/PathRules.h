#pragma once

// Path tests and the path normaliser: existence, and a path spelled with the stored long
// names of its components in place of 8.3 aliases.

#include "platform/FileSystem.h"

namespace dustvale {

// True when a file or folder exists at `path`; false also when the platform call fails.
bool PathExists(FileSystem& files, const Text& path);

// `path` without double quotes, each component after the drive replaced by the name the file
// system stores for it, in proper case, and the drive in upper case; never a final "\".
// Empty text when any component does not exist, and when the first two characters hold no drive.
// "C:\DOCUME~1\Bob\LOCALS~1\Temp" gives "C:\Documents And Settings\Bob\Local Settings\Temp";
// a bare drive gives "C:".
Text NormalizePath(FileSystem& files, Text path);

}  // namespace dustvale
