#pragma once

// The auto-empty setting the running program goes by: read from the settings file at start,
// then whatever the Options dialog stores, from the moment it is stored.

#include <cstdint>
#include <utility>

#include "platform/Types.h"
#include "settings/SettingsFile.h"

namespace dustvale {

class AutoEmptySetting {
public:
    // "OFF" or a threshold text, as stored.
    const Text& Value() const { return value_; }
    void Set(Text value) { value_ = std::move(value); }

    // Whether a Recycle Bin holding `itemCount` items is to be emptied now.
    bool Due(std::uint64_t itemCount) const { return AutoEmptyDue(value_, itemCount); }

private:
    Text value_ = kAutoCleanOff;
};

}  // namespace dustvale
