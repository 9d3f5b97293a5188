#pragma once

// Where the running executable lies, as the program names the files beside it.

#include "platform/Kernel.h"
#include "platform/Types.h"

namespace dustvale {

// The folder of the running executable: no trailing backslash, except for a drive's root
// ("C:\"). A file beside the executable is this folder followed by "\" and its name.
Text ApplicationFolder(Kernel& kernel);

// The executable's file name without its extension ("Dustvale" for Dustvale.exe).
Text ExecutableName(Kernel& kernel);

// The same two rules on a given path of an executable.
Text ApplicationFolder(const Text& executablePath);
Text ExecutableName(const Text& executablePath);

}  // namespace dustvale
