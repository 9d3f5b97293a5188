#pragma once

// Which items the rules of automatic removal take from the Recycle Bin: those deleted longer
// ago than some days, and the oldest ones while the bin holds more than some megabytes. Both
// leave alone every item whose deletion date is unknown: its age cannot be told.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/Shell.h"

namespace dustvale {

// The items deleted more than `days` days before `now`.
std::vector<std::size_t> ItemsOlderThan(const std::vector<RecycleBinItem>& items, FileTime now,
                                        std::uint32_t days);

// The oldest items, by deletion date, that must go for the bin to hold at most `limitBytes`.
// The newest item never goes, unless it alone holds more than the limit.
std::vector<std::size_t> ItemsOverSize(const std::vector<RecycleBinItem>& items,
                                       std::uint64_t limitBytes);

}  // namespace dustvale
