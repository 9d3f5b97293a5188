#pragma once

// The temporary paths a clean refuses outright: deleting the loose files of these folders, or
// emptying them, would take files that are not temporary.

#include <vector>

#include "platform/Platform.h"

namespace dustvale {

// The folder of the running program in each spelling the file system tells apart: as the
// system reports it, in long names, and as its final path (links resolved). None ends in "\".
std::vector<Text> ProgramFolderSpellings(const Platform& platform);

// True when the temporary path `path` (no final "\") is not a full path, or names a drive's
// root, the Windows folder `windowsFolder`, the user's profile folder (where Windows falls
// back when TMP and TEMP are unset), or the folder of the running program (spelt as
// `program`) or one that holds it, where a relative TEMP such as "." leads when the program
// is started from its folder.
bool IsRefusedTempPath(const Platform& platform, const Text& path, const Text& windowsFolder,
                       const std::vector<Text>& program);

// True when `folder` (a full path in long names) is the program's folder, spelt in any of
// `program`'s ways, or holds it.
bool HoldsProgramFolder(const Text& folder, const std::vector<Text>& program);

}  // namespace dustvale
