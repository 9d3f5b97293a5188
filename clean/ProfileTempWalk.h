#pragma once

// The look over the folder that holds the user profiles, collecting each profile's
// "Local Settings\Temp" folder.

#include "clean/CleanYield.h"
#include "clean/TempFolderList.h"
#include "platform/FileSystem.h"

namespace dustvale {

// Adds to `list`, in the order the file system lists the profiles of `folder`, the folder
// `folder`\<profile>\Local Settings\Temp of each profile that has one, except those of profiles
// whose name ends in "Service". Only where profiles keep their temporary folders is looked at:
// `folder` itself, each profile folder and its Local Settings folder; nothing inside a
// profile's own contents (documents, copies of old profiles, source trees) is ever listed or
// collected. Links are never entered or collected, not even one put in a folder's place
// meanwhile: on current systems each profile's Local Settings is a junction, and the user's
// own temporary folder is emptied apart. Yields before each profile. On return `folder` ends
// with "\". Throws TempFolderListFull when a folder is found while the list is full.
void CollectProfileTempFolders(FileSystem& files, Text& folder, TempFolderList& list,
                               const CleanYield& yield);

}  // namespace dustvale
