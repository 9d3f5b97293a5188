#pragma once

// What each of the program's windows runs when its object is created: the manifest beside the
// executable made sure of, then the common controls initialised.

#include "app/ProgramWindows.h"
#include "app/WindowStartup.h"
#include "common/NumberedFiles.h"
#include "platform/Platform.h"

namespace dustvale {

// What ending the program needs, should the manifest have to be written first.
struct StartupContext {
    Platform& platform;
    NumberedFiles& files;
    ProgramWindows& programWindows;
};

// On Windows XP or later, writes the manifest when it is missing. Only when the process runs
// without the visual-styles common controls, which a restart with that file would bring, does
// it tell the user to restart and end the process. When the manifest cannot be written (a
// read-only folder) it says nothing and returns, so the program still starts. On older systems
// a manifest found there is deleted.
void EnsureManifest(const StartupContext& context);

// EnsureManifest, then every common-controls class initialised (the plain initialisation
// when the extended one fails or is missing).
void StartCommonControls(const StartupContext& context);

// Initialises the extended combo box class; true unless the library lacks the call.
bool InitUserExClasses(CommonControls& controls);

// The pair as the windows call it.
class CommonControlsStartup final : public WindowStartup {
public:
    explicit CommonControlsStartup(const StartupContext& context) : context_(context) {}
    void StartCommonControls() override;
    bool InitUserExClasses() override;

private:
    StartupContext context_;
};

}  // namespace dustvale
