#pragma once

// The Options dialog as the tray menu reaches it.

#include "platform/Types.h"

namespace dustvale {

class OptionsDialogOpener {
public:
    // Shows the single Options dialog without making it modal: loads it when it is not
    // loaded (it then reads `autoClean`, the main window's setting), brings it forward when it
    // is open. Returns at once.
    virtual void ShowOptions(const Text& autoClean) = 0;

protected:
    ~OptionsDialogOpener() = default;
};

}  // namespace dustvale
