#include "app/Application.h"

#include <memory>

#include "app/CommonControlsStartup.h"
#include "app/OptionsDialog.h"
#include "app/ProgramWindows.h"
#include "app/SingleInstance.h"
#include "app/TrayApplication.h"
#include "common/NumberedFiles.h"

namespace dustvale {

std::int32_t RunApplication(Platform& platform) {
    const std::unique_ptr<RecycleBinAccess> recycleBin = RecycleBinAccessFor(platform);
    return RunApplication(platform, *recycleBin);
}

std::int32_t RunApplication(Platform& platform, RecycleBinAccess& recycleBin) {
    // Before anything a user or a file could see: a second start asks the running one for its
    // balloon and ends here.
    SingleInstance instance(platform);
    if (!instance.Claim()) return 0;

    NumberedFiles files(platform.files);
    ProgramWindows programWindows(platform.windows);
    CommonControlsStartup initialization(StartupContext{platform, files, programWindows});
    SingleOptionsDialog options(platform, programWindows, files, initialization);

    TrayApplication app(platform, programWindows, files, initialization, options, recycleBin);
    app.WhenClosed([&instance] { instance.Release(); });
    if (programWindows.Count() == 0) {
        return 1;  // the main window could not load: nothing would ever end the loop
    }
    // The loop ends when the last window closes; the objects are destroyed only afterwards, so
    // nothing a handler still uses goes away under it.
    return platform.windows.RunMessageLoop();
}

}  // namespace dustvale
