#pragma once

// The walk over the folder that holds the user profiles, collecting each profile's
// "Local Settings\Temp" folder.

#include "clean/TempFolderList.h"
#include "platform/Platform.h"

namespace dustvale {

// Walks every folder under `folder`, depth first in the order the file system lists them,
// and adds to `list` each folder whose path ends in "\Local Settings\Temp", except those of
// profiles whose name ends in "Service". Links are never entered or collected, not even one
// put in a folder's place during the walk, so the walk cannot loop or leave the tree. On
// return `folder` ends with "\". Throws TempFolderListFull, from any depth, when a folder is
// found while the list is full.
void CollectProfileTempFolders(const Platform& platform, Text& folder, TempFolderList& list);

}  // namespace dustvale
