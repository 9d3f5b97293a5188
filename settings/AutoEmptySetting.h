#pragma once

// The auto-empty setting the running program goes by: read from the settings file at start,
// and read from it again each time the Options dialog closes. While the dialog is open the
// setting is held: the user is still choosing, and nothing stored meanwhile, nor the setting
// from before, empties the bin.

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

    void Hold() { held_ = true; }
    void Release() { held_ = false; }
    bool Held() const { return held_; }

    // Whether a Recycle Bin holding `itemCount` items is to be emptied now.
    bool Due(std::uint64_t itemCount) const {
        return !held_ && AutoEmptyDue(value_, itemCount);
    }

private:
    Text value_ = kAutoCleanOff;
    bool held_ = false;
};

}  // namespace dustvale
