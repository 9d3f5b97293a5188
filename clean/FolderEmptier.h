#pragma once

// Emptying a folder: everything inside goes, the folder itself stays.

#include "platform/Platform.h"

namespace dustvale {

// Lists `folder` completely (letting pending messages run after each fetch), then deletes
// what it found from the last entry to the first: files with their attributes cleared,
// sub-folders emptied the same way and then deleted with whatever is left in them, links
// removed as links, and entries that lead elsewhere without showing as links left alone.
// Every failure is passed over; `folder` itself is never deleted.
void DeleteFolderContents(const Platform& platform, Text folder);

// Deletes the files lying directly in `folder` (no sub-folders, no recursion), going on past
// any that cannot be deleted; file links go as links, and what leads elsewhere stays.
void DeleteLooseFiles(FileSystem& files, const Text& folder);

}  // namespace dustvale
