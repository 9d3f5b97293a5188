#pragma once

// Emptying a folder: everything inside goes, the folder itself stays.

#include "clean/CleanYield.h"
#include "clean/EntryCheck.h"
#include "platform/FileSystem.h"

namespace dustvale {

// Lists the held folder completely through its handle (yielding after each fetch), then
// deletes what it found from the last entry to the first (yielding before each), each entry
// opened through the folder's handle, checked and deleted through its own: files with their
// attributes cleared, sub-folders emptied the same way and then deleted with whatever is left
// in them, links removed as links, and entries that lead elsewhere or changed since the
// listing left alone. Every failure is passed over; the folder itself is never deleted.
void DeleteFolderContents(FileSystem& files, HeldFolder& folder, const CleanYield& yield);

// Deletes the files lying directly in `folder` (no sub-folders, no recursion), going on past
// any that cannot be deleted; file links go as links, and what leads elsewhere stays. Nothing
// is deleted when `folder` is itself a link. Yields as DeleteFolderContents does.
void DeleteLooseFiles(FileSystem& files, const Text& folder, const CleanYield& yield);

}  // namespace dustvale
