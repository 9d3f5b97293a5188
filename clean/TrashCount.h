#pragma once

// Counting the Trash directly, as the tray shows it: the items are the .trashinfo files whose
// file or folder is in files/; their size is what the files hold, a trashed folder's contents
// included. Wine's own count reads every .trashinfo at every call, seconds for a large Trash.
//
// A count reads the Trash's two folders once and then watches them: a file trashed since
// costs a look at it alone, and an unchanged Trash a look at the two watches. What cannot be
// added up so (a counted item restored or deleted, or changing size when it was not counted
// since the last reading, changes lost) is counted anew. Where folders cannot be watched, their write times tell whether anything changed.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

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
    // read it). Lets no messages run: callable from any thread, one count at a time (the
    // watches of a thread that ended tell their changes as lost: the Trash is counted anew).
    TrashFigures Count(FileSystem& files, Kernel& kernel, const HeldTrash& trash);

    // How many times the Trash's folders were read whole, for the tests and the benchmark.
    std::uint64_t Recounts() const { return recounts_; }

private:
    // The Trash's two folders: which ones, and when they last changed.
    struct Look {
        std::uint64_t filesId = 0;
        EntryTimes filesTimes;
        std::uint64_t infoId = 0;
        EntryTimes infoTimes;
        bool operator==(const Look&) const = default;
    };
    struct Watches {
        std::unique_ptr<FolderWatch> files;
        std::unique_ptr<FolderWatch> info;
        std::uint64_t filesId = 0;
        std::uint64_t infoId = 0;
    };

    // What the watches told since the last look, when it can be added up.
    struct Changes {
        std::vector<Text> arrivals;  // names of items that may have become whole
        std::vector<Text> resized;   // files counted since the last reading that changed size
    };

    static std::optional<Look> LookAt(const HeldTrash& trash);
    // nullopt when something counted went or changed in a way not kept, or changes were lost.
    std::optional<Changes> TakeChanges();
    // Adds the arrivals that are whole items now and were not counted, and measures the
    // resized files again. False when one could not be looked at.
    bool AddArrivals(FileSystem& files, Kernel& kernel, const HeldTrash& trash, Changes changes);
    // The size of the entry `name` of files/ as a count gives it; nullopt when it cannot be
    // looked at or its walk ran out of time.
    std::optional<std::uint64_t> MeasureArrival(FileSystem& files, Kernel& kernel,
                                                const HeldTrash& trash, const Text& name,
                                                std::uint64_t deadline);
    TrashFigures Recount(Kernel& kernel, const HeldTrash& trash, bool& complete);

    std::optional<Watches> watches_;
    // The items counted, by the hashes of their names, sorted: an arrival already counted (it
    // came while the folders were read) is not counted twice. Kept while the folders are
    // watched: 8 bytes an item.
    std::vector<std::uint64_t> counted_;
    // The items added since the last reading, by their names' hashes, with the sizes counted
    // (up to a limit: one beyond it that changes size is counted anew).
    std::unordered_map<std::uint64_t, std::uint64_t> recentBytes_;
    // Without watches: the folders' times at the last count. A folder's time moves in steps of
    // a few milliseconds under Wine, so a change in the same step as the one counted leaves it
    // as it was: a count is trusted once a recount has found the times unchanged.
    std::optional<Look> last_;
    bool settled_ = false;
    TrashFigures figures_;
    // The sizes of the trashed folders of the last count, by their numbers: the contents of a
    // trashed folder do not change, and walking them is the dear part of a count.
    TrashedFolderBytes folderBytes_;
    std::uint64_t recounts_ = 0;
};

}  // namespace dustvale
