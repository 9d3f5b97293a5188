#pragma once

// The Options dialog as the tray menu reaches it.

#include "settings/AutoEmptySetting.h"

namespace dustvale {

class OptionsDialogOpener {
public:
    // Shows the single Options dialog without making it modal: loads it when it is not
    // loaded (it then shows `autoEmpty`, the setting the program runs with, holds it while it
    // is open and sets it from the settings file when it closes), brings it forward when it is
    // open. Returns at once.
    // `autoEmpty` outlives the dialog's window.
    virtual void ShowOptions(AutoEmptySetting& autoEmpty) = 0;

protected:
    ~OptionsDialogOpener() = default;
};

}  // namespace dustvale
