#pragma once

// The temporary paths a clean refuses outright: deleting the loose files of these folders, or
// emptying them, would take files that are not temporary.

#include "platform/Platform.h"

namespace dustvale {

// True when the temporary path `path` (no final "\") is not a full path, or names a drive's
// root, the Windows folder `windowsFolder`, the user's profile folder (where Windows falls
// back when TMP and TEMP are unset), or the folder of the running program or one that holds
// it (where a relative TEMP such as "." leads when the program is started from its folder).
bool IsRefusedTempPath(const Platform& platform, const Text& path, const Text& windowsFolder);

// True when `folder` is the folder of the running program or holds it, by any spelling:
// short or long names, or a link on the way.
bool HoldsProgramFolder(const Platform& platform, const Text& folder);

}  // namespace dustvale
