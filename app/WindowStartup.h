#pragma once

// What each of the program's windows runs when its object is created, before it loads: the
// start-up of the common controls. The main window and the Options dialog run the same pair.

namespace dustvale {

class WindowStartup {
public:
    // Makes sure of the visual-styles manifest and initialises the common controls. May end
    // the process instead of returning (the manifest was just written).
    virtual void StartCommonControls() = 0;
    // Registers the extended combo box class; the result is not used by the windows.
    virtual bool InitUserExClasses() = 0;

protected:
    ~WindowStartup() = default;
};

}  // namespace dustvale
