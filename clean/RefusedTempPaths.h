#pragma once

// The temporary paths a clean refuses outright: deleting the loose files of these folders, or
// emptying them, would take files that are not temporary.

#include <optional>
#include <vector>

#include "platform/Platform.h"

namespace dustvale {

// The folder of the running program in each spelling the file system tells apart: as the
// system reports it, in long names, and as its final path (links resolved). None ends in "\".
std::vector<Text> ProgramFolderSpellings(const Platform& platform);

// Why a temporary path is refused.
enum class TempPathRefusal {
    NoTempPath,     // the system reports none
    NotAFullPath,   // a relative path, such as ".", would lead wherever the program started
    DriveRoot,
    WindowsFolder,
    ProfileFolder,  // where Windows falls back when TMP and TEMP are unset
    ProgramFolder,  // the running program's folder or one that holds it
};

// Why the temporary path `path` (no final "\") is refused, if it is: it is not a full path,
// or names a drive's root, the Windows folder `windowsFolder`, the user's profile folder, or
// the folder of the running program (spelt as `program`) or one that holds it.
std::optional<TempPathRefusal> RefusalOf(const Platform& platform, const Text& path,
                                         const Text& windowsFolder,
                                         const std::vector<Text>& program);

// True when `folder` (a full path in long names) is the program's folder, spelt in any of
// `program`'s ways, or holds it.
bool HoldsProgramFolder(const Text& folder, const std::vector<Text>& program);

}  // namespace dustvale
