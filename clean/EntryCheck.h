#pragma once

// Telling what an entry of a folder being walked really is before anything is done to it, from
// the entry's own handle, opened through its folder's handle: what is then done to it is done
// through that same handle, so a path swapped meanwhile for a link changes nothing.
//
// On Windows a link opened as itself carries the reparse-point attribute and is removed as a
// link. Under Wine a Unix symbolic link is opened as what it leads to and need not show as a
// link at all: what gives it away is its final path, which names its target. An entry that is
// what its folder listed names itself there, with the number the listing gave it.

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/FileSystem.h"

namespace dustvale {

enum class EntryKind {
    Elsewhere,  // not vouched for: leads elsewhere, changed since it was listed, or could not
                // be opened; neither deleted, changed nor entered
    Link,       // a junction, mount point or symbolic link opened as itself: removed as a link
    Folder,
    File,
};

// A folder held open for a walk, with its final path as its handle reported it when the
// folder was checked (no final "\" unless it is a drive's root).
struct HeldFolder {
    std::unique_ptr<EntryHandle> handle;
    Text finalPath;
};

// An entry opened through its folder's handle and checked; a handle only when it could be
// opened, a final path only for a Folder.
struct CheckedEntry {
    EntryKind kind = EntryKind::Elsewhere;
    std::unique_ptr<EntryHandle> handle;
    Text finalPath;
};

// `folder`'s final path followed by `name`.
Text ChildPath(const Text& folderFinalPath, const Text& name);

// Opens the entry `name` of `folder` as itself with `rights` and tells what it is. It is
// Elsewhere unless its final path is the folder's followed by the name and, when `listedId`
// is given, it still has the number the folder's listing gave it.
CheckedEntry OpenAndCheck(const HeldFolder& folder, const Text& name, std::uint32_t rights,
                          std::optional<std::uint64_t> listedId);

// The same for an entry the folder's listing delivered.
CheckedEntry OpenListed(const HeldFolder& folder, const DirectoryEntry& listed,
                        std::uint32_t rights);

}  // namespace dustvale
