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
// then the entry's number or kind disagree with what the folder's listing said of it. Wine
// names no entry whose path is longer than it can hold (about 4,000 characters), and deletes
// none: such an entry stays where it is until its folder is moved up (FolderMoveUp.h).

#include <cstdint>
#include <memory>

#include "platform/FileSystem.h"

namespace dustvale {

enum class EntryKind {
    Elsewhere,  // not vouched for: leads elsewhere, changed since it was listed, or could not
                // be opened; neither deleted, changed nor entered
    Unnamed,    // agrees with the listing, but the system cannot name it (too deep for Wine):
                // not vouched for either, until its folder lies higher up
    Link,       // a junction, mount point or symbolic link opened as itself: removed as a link
    Folder,
    File,
};

// A folder held open for a walk, with its final path as its handle reported it when the
// folder was checked (no final "\" unless it is a drive's root), and the held folder it was
// opened through (nullptr for the folder the walk started from, which the walk holds longer).
struct HeldFolder {
    std::unique_ptr<EntryHandle> handle;
    Text finalPath;
    const HeldFolder* parent = nullptr;
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
// reparse point or not) and its final path is the folder's followed by its name; Unnamed when
// it agrees but has no final path.
CheckedEntry OpenListed(const HeldFolder& folder, const DirectoryEntry& listed,
                        std::uint32_t rights);

// The entry at `finalPath` opened anew with `rights`, at any length, a link at its end as
// itself; nullptr when it cannot be opened.
std::unique_ptr<EntryHandle> OpenFinalPath(FileSystem& files, const Text& finalPath,
                                           std::uint32_t rights);

// The folder the walk holding `folder` started from.
const HeldFolder& TopOf(const HeldFolder& folder);

// True when `finalPath`, the path of an entry at or below the top folder of `within`'s walk,
// looked up anew leads to the entry numbered `fileId`: the top folder by its full path, then
// the names below it through that folder (a full path opens under Wine only short of the
// length it can name). The check to make before changing what a handle holds, since under
// Wine a link swapped in and out again while the entry was opened may have given the handle
// another entry than its path names, and Wine moves an entry by its path.
bool PathLeadsTo(FileSystem& files, const HeldFolder& within, const Text& finalPath,
                 std::uint64_t fileId);

}  // namespace dustvale
