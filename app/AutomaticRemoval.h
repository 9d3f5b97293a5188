#pragma once

// When the rules of automatic removal run, and what they say afterwards. Removal by age runs
// at start and then at most once an hour; removal by size when a count finds the bin above its
// limit, and, when a run left the bin above it, not again before a minute, then twice as long
// each time, at most an hour. Both run on the Recycle Bin worker, never while the bin is being
// changed otherwise, and never in the same round as an automatic emptying.

#include <cstdint>
#include <optional>

#include "app/AutoEmptyPacing.h"
#include "app/RecycleBinMonitor.h"
#include "platform/Kernel.h"
#include "platform/Types.h"
#include "settings/RemovalSettings.h"

namespace dustvale {

class AutomaticRemoval {
public:
    AutomaticRemoval(Kernel& kernel, RecycleBinMonitor& monitor);

    // The settings to go by from now on; a changed size rule starts its pacing afresh.
    void Use(const RemovalSettings& settings);
    const RemovalSettings& Settings() const { return settings_; }

    // A count of the bin: starts a removal when one is due and the worker is free.
    void OnFigures(const RecycleBinFigures& figures);

    // What the balloon says after a removal that took `removed` items, if the user asked to be
    // told: "Dustvale removed 12 items deleted more than 30 days ago".
    std::optional<Text> Report(RecycleBinTask task, std::uint64_t removed) const;

private:
    bool RemoveOld(std::uint64_t now);
    bool RemoveOverSize(const RecycleBinFigures& figures, std::uint64_t now);

    Kernel& kernel_;
    RecycleBinMonitor& monitor_;
    RemovalSettings settings_;
    std::uint64_t nextRunByAge_ = 0;  // tick count; 0: at the first count
    AutoEmptyPacing sizePacing_;      // paced on the bin's bytes
};

}  // namespace dustvale
