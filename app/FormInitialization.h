#pragma once

// What a form runs when its object is created, before it loads: the start-up of the common
// controls. Both forms run the same pair.

namespace dustvale {

class FormInitialization {
public:
    // Makes sure of the visual-styles manifest and initialises the common controls. May end
    // the process instead of returning (the manifest was just written).
    virtual void StartCommonControls() = 0;
    // Registers the extended combo box class; the result is not used by the forms.
    virtual bool InitUserExClasses() = 0;

protected:
    ~FormInitialization() = default;
};

}  // namespace dustvale
