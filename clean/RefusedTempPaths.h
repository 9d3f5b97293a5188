#pragma once

// The temporary paths a clean refuses outright: deleting the loose files of these folders, or
// emptying them, would take files that are not temporary.

#include "platform/Platform.h"

namespace dustvale {

// True when the temporary path `path` (no final "\") is not a full path, or names a drive's
// root, the Windows folder `windowsFolder`, the user's profile folder (where Windows falls
// back when TMP and TEMP are unset).
bool IsRefusedTempPath(const Platform& platform, const Text& path, const Text& windowsFolder);

}  // namespace dustvale
