#pragma once

// When the rules of automatic removal run, and what they say afterwards. Removal by age runs
// at start and then at most once an hour; removal by size when a count finds the bin above its
// limit, and, when a run left the bin above it, not again before a minute, then twice as long
// each time, at most an hour. Both run on the Recycle Bin worker, never while the bin is being
// changed otherwise, and never in the same round as an automatic emptying. A rule the user
// changes starts afresh, and no rule starts while the settings are held.

#include <cstdint>
#include <optional>

#include "app/AutoEmptyPacing.h"
#include "app/RecycleBinMonitor.h"
#include "platform/Kernel.h"
#include "platform/Types.h"
#include "settings/RemovalSettingsInUse.h"

namespace dustvale {

class AutomaticRemoval {
public:
    // Goes by `settings`, which outlives it, as they are at each count.
    AutomaticRemoval(Kernel& kernel, RecycleBinMonitor& monitor,
                     const RemovalSettingsInUse& settings);

    // A count of the bin: starts a removal when one is due and the worker is free.
    void OnFigures(const RecycleBinFigures& figures);

    // What the balloon says after a removal that took `removed` items, if the user asked to be
    // told: "Dustvale removed 12 items deleted more than 30 days ago".
    std::optional<Text> Report(RecycleBinTask task, std::uint64_t removed) const;

private:
    // A rule whose settings changed since the last count starts afresh.
    void FollowChanges();
    bool RemoveOld(std::uint64_t now);
    bool RemoveOverSize(const RecycleBinFigures& figures, std::uint64_t now);

    Kernel& kernel_;
    RecycleBinMonitor& monitor_;
    const RemovalSettingsInUse& settings_;
    RemovalSettings seen_;            // the settings of the last count
    std::uint64_t nextRunByAge_ = 0;  // tick count; 0: at the first count
    AutoEmptyPacing sizePacing_;      // paced on the bin's bytes
};

}  // namespace dustvale
