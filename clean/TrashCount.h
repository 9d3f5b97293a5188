#pragma once

// Counting the Trash directly, as the tray shows it: the items are the .trashinfo files whose
// file or folder is in files/; their size is what the files hold, a trashed folder's contents
// included. The count is kept, and an unchanged Trash costs a look at its two folders' times;
// Wine's own count reads every .trashinfo at every call, seconds for a large Trash.

#include <cstdint>
#include <map>
#include <optional>

#include "clean/TrashFolder.h"
#include "clean/TrashListing.h"
#include "platform/FileSystem.h"
#include "platform/Kernel.h"

namespace dustvale {

struct TrashFigures {
    std::uint64_t items = 0;
    std::uint64_t bytes = 0;
    bool operator==(const TrashFigures&) const = default;
};

// The sizes of trashed folders, by their numbers.
using TrashedFolderBytes = std::map<std::uint64_t, std::uint64_t>;

// What a reading of files/ found: each entry with what it holds.
struct TrashFilesRead {
    TrashFileIndex index;  // sealed
    TrashedFolderBytes folderBytes;  // of the folders walked to their end, or known before
    bool complete = true;            // false when a walk ran out of time: sizes fall short
};

// Reads the held files/ folder: a file holds its size, a link (never followed) nothing, a
// folder what the files in it and its folders hold, taken from `known` by its number when it
// is there, else walked through handles. Walking stops after some seconds: the folders not
// walked by then count what was found so far. Lets no messages run.
TrashFilesRead ReadTrashFiles(Kernel& kernel, const HeldTrash& trash,
                              const TrashedFolderBytes& known);

class TrashCounter {
public:
    // Counts the held Trash, freshly opened (under Wine a handle lists its folder as it first
    // read it). Lets no messages run: callable from any thread, one count at a time.
    TrashFigures Count(Kernel& kernel, const HeldTrash& trash);

    // How many times the Trash's folders were read, for the tests and the benchmark.
    std::uint64_t Recounts() const { return recounts_; }

private:
    // What tells an unchanged Trash: its two folders, the same ones with the same times.
    struct Look {
        std::uint64_t filesId = 0;
        EntryTimes filesTimes;
        std::uint64_t infoId = 0;
        EntryTimes infoTimes;
        bool operator==(const Look&) const = default;
    };

    static std::optional<Look> LookAt(const HeldTrash& trash);
    TrashFigures Recount(Kernel& kernel, const HeldTrash& trash, bool& complete);

    std::optional<Look> last_;
    // A folder's time moves in steps of a few milliseconds under Wine: a change in the same
    // step as the one counted leaves its time as it was. The count is trusted once a recount
    // has found the times unchanged since the one before.
    bool settled_ = false;
    TrashFigures figures_;
    // The sizes of the trashed folders of the last count, by their numbers: the contents of a
    // trashed folder do not change, and walking them is the dear part of a count.
    TrashedFolderBytes folderBytes_;
    std::uint64_t recounts_ = 0;
};

}  // namespace dustvale
