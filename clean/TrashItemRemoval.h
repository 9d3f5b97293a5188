#pragma once

// Removing one item of the Trash: its entry in files/ first, its .trashinfo in info/ last, so
// that an item that cannot go stays whole and visible, and no file is ever left in the Trash
// without the .trashinfo that makes it an item.

#include <cstddef>

#include "clean/TrashFolder.h"
#include "platform/FileSystem.h"

namespace dustvale {

// An item as the Trash's two folders list it.
struct TrashItem {
    DirectoryEntry file;  // in files/
    DirectoryEntry info;  // the file's name + ".trashinfo", in info/
};

enum class TrashItemRemoval {
    Removed,
    // The entry in files/ stays, so its .trashinfo stays too: in use, protected, a folder
    // holding something that cannot go, changed since it was listed, or a Unix link (which
    // Wine 8 can only open as what it leads to, never remove as itself).
    Kept,
    // The entry went, but its .trashinfo could not.
    InfoKept,
};

// How deep a trashed folder is entered. The worker's stack holds a few hundred levels;
// deeper trees (made on purpose, as no program nests so deep) stay, with their .trashinfo.
constexpr std::size_t kTrashedFolderLevels = 128;

// Removes `item`: its entry in files/ (a folder with everything in it), each part opened
// through its folder's handle, checked and deleted through its own; then, once the entry is
// seen gone from files/, its .trashinfo. Lets no messages run: callable from any thread.
TrashItemRemoval RemoveTrashItem(FileSystem& files, const HeldTrash& trash, const TrashItem& item);

}  // namespace dustvale
