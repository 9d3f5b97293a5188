#include "app/Application.h"

#include "app/CommonControlsStartup.h"
#include "app/LoadedForms.h"
#include "app/OptionsDialog.h"
#include "app/TrayApplication.h"
#include "common/FileTable.h"

namespace dustvale {

std::int32_t RunApplication(Platform& platform) {
    FileTable files(platform.files);
    LoadedForms forms(platform.windows);
    CommonControlsStartup initialization(StartupContext{platform, files, forms});
    SingleOptionsDialog options(platform, forms, files, initialization);

    TrayApplication form(platform, forms, files, initialization, options);
    if (forms.Count() == 0) {
        return 1;  // the main form could not load: nothing would ever end the loop
    }
    // The loop ends when the last form unloads; the forms are destroyed only afterwards, so
    // nothing a handler still uses goes away under it.
    return platform.windows.RunMessageLoop();
}

}  // namespace dustvale
