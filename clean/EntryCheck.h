#pragma once

// Telling what an entry of a folder being walked really is before anything is done to it, from
// the entry's own handle, opened through its folder's handle: what is then done to it is done
// through that same handle, so a path swapped meanwhile for a link changes nothing.
//
// On Windows a link opened as itself carries the reparse-point attribute and is removed as a
// link. Under Wine a Unix link is opened as what it leads to, and a link to a file does not
// show as a link at all, not even in its folder's listing: what gives it away is its final
// path, which names its target. Wine takes that path apart from the opening, though, so a link
// swapped in for the opening and out again at once can give the target the entry's own path:
// then the entry's number or kind disagree with what the folder's listing said of it.

#include <cstdint>
#include <memory>

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

// An entry opened through its folder's handle and checked: its handle when it could be
// opened, and what the handle said of it.
struct CheckedEntry {
    EntryKind kind = EntryKind::Elsewhere;
    std::unique_ptr<EntryHandle> handle;
    EntryInfo info;
    Text finalPath;
};

// `folder`'s final path followed by `name`.
Text ChildPath(const Text& folderFinalPath, const Text& name);

// True for a reparse point that stands for another entry (a junction, mount point or symbolic
// link); other reparse points (cloud placeholders, deduplicated or compressed files) hold
// their own data and are what their attributes say.
bool IsLink(const EntryInfo& info);

// Opens the entry `listed` of `folder` as itself with `rights` and tells what it is. It is
// Elsewhere unless its handle agrees with the listing (the same number, a folder or not, a
// reparse point or not) and its final path is the folder's followed by its name.
CheckedEntry OpenListed(const HeldFolder& folder, const DirectoryEntry& listed,
                        std::uint32_t rights);

// True when the path of `entry`, opened anew, still leads to the entry its handle holds: the
// check to make before changing what a handle holds, since under Wine a link swapped in and
// out again while the entry was opened may have given the handle another entry than its
// path names.
bool PathLeadsToEntry(FileSystem& files, const CheckedEntry& entry);

}  // namespace dustvale
