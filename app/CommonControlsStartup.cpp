#include "app/CommonControlsStartup.h"

#include "app/InfoBox.h"
#include "app/Termination.h"
#include "common/ApplicationPaths.h"
#include "platform/FileSystem.h"
#include "settings/Manifest.h"

namespace dustvale {

namespace {

// The common controls with visual styles, which the manifest asks for.
constexpr std::uint32_t kVisualStylesVersion = 6;

const Text kRestartMessage =
    u"Manifest file has been re-initialized.\r\n\r\nThis application must be restarted.";

}  // namespace

void EnsureManifest(const StartupContext& context) {
    Platform& platform = context.platform;
    FileSystem& files = platform.files;
    const Text executableName = ExecutableName(platform.kernel);
    const Text path = ManifestPath(ApplicationFolder(platform.kernel), executableName);

    // Every step below ignores its own failure and the next one runs.
    if (!IsXPOrLater(platform.kernel)) {
        // Older systems do not know the manifest; a hidden or read-only one is cleared first.
        if (files.PathFileExists(path)) {
            files.SetFileAttributes(path, attr::kNormal);
            files.DeleteFile(path);
        }
        return;
    }
    // Whatever manifest is there, edited or older, stays as it is.
    if (files.PathFileExists(path)) return;

    {
        const int number = context.files.FreeNumber();
        ScopedFile manifest(context.files, number, path, FileMode::Output);
        if (manifest) {
            const Text text =
                ManifestText(executableName, platform.kernel.ExecutableArchitecture());
            manifest->Write(platform.kernel.ToAnsi(text + u"\r\n"));
        }
    }
    files.SetFileAttributes(path, attr::kHidden);

    // A folder the user may not write to (one under Program Files) keeps no manifest: asking
    // for a restart would then repeat at every start and the program would never run.
    if (!files.PathFileExists(path)) return;
    // The manifest built into the executable comes before the file beside it: where it
    // already brought the visual styles, a restart would change nothing.
    if (platform.commonControls.LoadedVersion() >= kVisualStylesVersion) return;

    ShowInfo(platform, kRestartMessage, Text());
    TerminateProgram(context.files, context.programWindows, platform.kernel);
}

void StartCommonControls(const StartupContext& context) {
    EnsureManifest(context);
    CommonControls& controls = context.platform.commonControls;
    const std::optional<bool> initialised = controls.InitCommonControlsEx(icc::kAllClasses);
    // Failed, or a library without the extended call: the plain call instead.
    if (!initialised.value_or(false)) controls.InitCommonControls();
}

bool InitUserExClasses(CommonControls& controls) {
    return controls.InitCommonControlsEx(icc::kUserExClasses).has_value();
}

void CommonControlsStartup::StartCommonControls() { dustvale::StartCommonControls(context_); }

bool CommonControlsStartup::InitUserExClasses() {
    return dustvale::InitUserExClasses(context_.platform.commonControls);
}

}  // namespace dustvale
