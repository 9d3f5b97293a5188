#pragma once

// The application manifest beside the executable that asks for version 6 of the common
// controls (the visual-styles controls), and the system versions that understand it.

#include <optional>

#include "platform/Kernel.h"
#include "platform/Types.h"

namespace dustvale {

// EnsureTrailing(application folder, "\") + executable name + ".exe.manifest".
Text ManifestPath(const Text& applicationFolder, const Text& executableName);

// The manifest's 22 lines joined by CR LF. The file holds this text followed by the line end
// of the write itself, so it ends in exactly one CR LF. The program and the common controls it
// asks for are of the executable's own architecture: "X86" or "amd64".
Text ManifestText(const Text& executableName, Architecture architecture);

// Windows XP (5.1) or later on the NT platform; false when the version is unknown.
bool IsXPOrLater(const std::optional<OsVersion>& version);
bool IsXPOrLater(Kernel& kernel);

}  // namespace dustvale
