#pragma once

// Listing a folder through its own handle, with the same attribute masks as a listing by path
// (see FolderListing.h).

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/FileSystem.h"

namespace dustvale {

// The entries of the folder held by `folder` that match `mask`, in the order the file system
// delivers them, without "." and "..", read to the end from where the handle's listing
// stands. `afterEachFetch` runs after every fetch but the first, including the last one that
// finds nothing. Empty when the folder cannot be listed.
std::vector<DirectoryEntry> ListHeldFolder(EntryHandle& folder, std::uint32_t mask,
                                           const std::function<void()>& afterEachFetch = {});

}  // namespace dustvale
