#pragma once

// The settings of automatic removal and of the question before Empty that the running program
// goes by: read from Dustvale.ini at start, and read from it again each time the Options dialog
// closes. While the dialog is open the rules are held: a number the user is still typing must
// not remove anything. The question before Empty follows what the dialog stores at once, since
// a user who just asked to be asked expects the next Empty to ask.

#include "settings/RemovalSettings.h"

namespace dustvale {

class RemovalSettingsInUse {
public:
    const RemovalSettings& Value() const { return value_; }
    void Set(const RemovalSettings& value) { value_ = value; }

    void Hold() { held_ = true; }
    void Release() { held_ = false; }
    // While held, no rule of automatic removal starts.
    bool Held() const { return held_; }

private:
    RemovalSettings value_;
    bool held_ = false;
};

}  // namespace dustvale
