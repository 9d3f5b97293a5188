#pragma once

// Removing items of the Trash: each item's entry in files/ first, its .trashinfo in info/
// last, so that an item that cannot go stays whole and visible, and no file is ever left in
// the Trash without the .trashinfo that makes it an item.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "clean/TrashFolder.h"
#include "platform/FileSystem.h"

namespace dustvale {

// An item as the Trash's two folders list it.
struct TrashItem {
    DirectoryEntry file;  // in files/
    DirectoryEntry info;  // the file's name + ".trashinfo", in info/
};

// What became of the items removed.
struct TrashRemovalTally {
    std::uint64_t removed = 0;
    // Items whose entry in files/ stays, and so their .trashinfo too: in use, protected, a
    // folder holding something that cannot go, changed since it was listed, or a Unix link
    // (which Wine 8 can only open as what it leads to, never remove as itself).
    std::uint64_t kept = 0;
    // Items whose entry went, but whose .trashinfo could not.
    std::uint64_t infoKept = 0;
};

// How deep a trashed folder is entered. The worker's stack holds a few hundred levels;
// deeper trees (made on purpose, as no program nests so deep) stay, with their .trashinfo.
constexpr std::size_t kTrashedFolderLevels = 128;

// Removes items in batches. Each item's entry in files/ (a folder with everything in it) is
// opened through the folder's handle, checked and deleted through its own. Wine deletes an
// entry only when its last handle closes, and without a word when the folder refuses, so only
// a look afterwards tells what went: one fresh reading of files/ after each batch, and the
// .trashinfo of the entries seen gone go; one reading of info/ tells which of those went.
// Wine looks a missing name up by reading its whole folder, where one reading serves a batch.
// Lets no messages run: callable from any thread.
class TrashItemRemover {
public:
    // `trashedItems`: about how many entries files/ holds. The batches grow with it, so that
    // removing every item of a large Trash reads its folders a few dozen times, not once per
    // item.
    TrashItemRemover(FileSystem& files, const HeldTrash& trash, std::size_t trashedItems);

    // `item` goes with its batch: now, or with a later one.
    void Remove(TrashItem item);
    // Removes the items still waiting, and tells what became of every item.
    TrashRemovalTally Finish();

private:
    void RemoveBatch();

    FileSystem& files_;
    const HeldTrash& trash_;
    std::size_t batchSize_;
    std::vector<TrashItem> batch_;
    TrashRemovalTally tally_;
};

}  // namespace dustvale
