#pragma once

// Forced deletion through handles: read-only, hidden and system items go like any other. A
// link (a junction, mount point or symbolic link opened as itself) is removed as a link:
// nothing behind it is listed, changed or deleted. An entry that leads elsewhere without
// showing as a link (as Wine shows Unix links) is left alone.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

#include "clean/EntryCheck.h"
#include "platform/FileSystem.h"

namespace dustvale {

// What a handle needs to empty and delete an entry: a file or link needs no listing.
namespace delete_rights {
constexpr std::uint32_t kFile = rights::kWriteAttributes | rights::kDelete;
constexpr std::uint32_t kFolder = rights::kListDirectory | kFile;
}  // namespace delete_rights

// Clears the read-only, hidden and system attributes of the checked entry of `folder`, if it
// has any, once its path is seen to lead to it still. False when they are left as they were.
bool ClearAttributes(FileSystem& files, const HeldFolder& folder, CheckedEntry& entry);

// Deletes the checked file or link of `folder`, its attributes cleared first. True when it is
// gone.
bool ForceDeleteEntry(FileSystem& files, const HeldFolder& folder, CheckedEntry& entry);

// Deletes the checked entry of `folder`: a file or a link at once, a folder (its guarding
// attributes cleared) through `deleteFolder`. One that is not vouched for stays.
void DeleteCheckedEntry(FileSystem& files, const HeldFolder& folder, CheckedEntry& entry,
                        const std::function<void(HeldFolder&)>& deleteFolder);

constexpr std::size_t kAnyDepth = std::numeric_limits<std::size_t>::max();

// Deletes the folder held by `folder` with everything still in it, listed anew (without
// letting messages run). Goes on past items that cannot be deleted; the folder itself then
// stays. Folders more than `levels` below it are not entered, so that a tree nested deeper
// than the thread's stack allows is left standing instead of ending the program; they stay
// with the folders that hold them. True when the folder is gone.
bool ForceDeleteFolder(FileSystem& files, HeldFolder& folder, std::size_t levels = kAnyDepth);

// Deletes the entries listed in `folder`, the last listed first, each opened through the
// folder's handle, checked and deleted through its own: files and links at once, sub-folders
// (their guarding attributes cleared) through `deleteFolder`, and entries that lead elsewhere
// or changed since the listing left alone. The first entry too deep to be named moves the
// folder up (MoveFolderUp) and is opened again. Each item that cannot go stays; the others
// still go. `beforeEachEntry`, when given, runs before each entry is opened.
void DeleteListedEntries(FileSystem& files, HeldFolder& folder,
                         std::vector<DirectoryEntry> entries,
                         const std::function<void(HeldFolder&)>& deleteFolder,
                         const std::function<void()>& beforeEachEntry = {});

// Opens the entry `listed` of `folder` for deletion; a folder in use by another program is
// opened for emptying alone, so that what it holds still goes, and a file whose attributes
// may not be changed for deletion alone.
CheckedEntry OpenForDeletion(const HeldFolder& folder, const DirectoryEntry& listed);

}  // namespace dustvale
