#pragma once

// The Options dialog as the tray menu reaches it.

#include "settings/AutoEmptySetting.h"
#include "settings/RemovalSettingsInUse.h"

namespace dustvale {

class OptionsDialogOpener {
public:
    // Shows the single Options dialog without making it modal: loads it when it is not
    // loaded (it then shows `autoEmpty` and `removal`, the settings the program runs with,
    // holds them while it is open and sets them from their files when it closes), brings it
    // forward when it is open. Returns at once.
    // Both outlive the dialog's window.
    virtual void ShowOptions(AutoEmptySetting& autoEmpty, RemovalSettingsInUse& removal) = 0;

protected:
    ~OptionsDialogOpener() = default;
};

}  // namespace dustvale
