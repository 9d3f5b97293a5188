#pragma once

// Counting the Trash directly, as the tray shows it: the items are the .trashinfo files whose
// file or folder is in files/; their size is what the files hold, a trashed folder's contents
// included. The count is kept, and an unchanged Trash costs a look at its two folders' times;
// Wine's own count reads every .trashinfo at every call, seconds for a large Trash.

#include <cstdint>
#include <map>
#include <optional>

#include "clean/TrashFolder.h"
#include "platform/FileSystem.h"
#include "platform/Kernel.h"

namespace dustvale {

struct TrashFigures {
    std::uint64_t items = 0;
    std::uint64_t bytes = 0;
    bool operator==(const TrashFigures&) const = default;
};

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
    std::map<std::uint64_t, std::uint64_t> folderBytes_;
    std::uint64_t recounts_ = 0;
};

}  // namespace dustvale
