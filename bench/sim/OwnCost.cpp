// dustvale_own_cost: Dustvale's own work with Windows taken out. The whole program (the main
// window with its real start-up, settings, tray control and monitor) runs in the simulated
// Windows, which answers every call at once, for a number of once-a-second ticks with the
// Recycle Bin holding a number of items. Run under valgrind, it tells what the program itself
// costs: callgrind's instructions (run it for 0 ticks and for N, and divide the difference by N
// for one tick), massif's heap peak.
//
//   dustvale_own_cost <items> <ticks>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/CommonControlsStartup.h"
#include "app/OptionsDialog.h"
#include "app/ProgramWindows.h"
#include "app/TrayApplication.h"
#include "common/ApplicationPaths.h"
#include "common/NumberedFiles.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/SimWindows.h"
#include "settings/Manifest.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: dustvale_own_cost <items> <ticks>\n");
        return 2;
    }
    const long items = std::strtol(argv[1], nullptr, 10);
    const long ticks = std::strtol(argv[2], nullptr, 10);
    if (items < 0 || ticks < 0) return 2;

    using namespace dustvale;
    sim::SimWindows sim;
    Platform platform = sim.platform();
    // A later start: the manifest is already there, so the program does not ask for a restart.
    sim.files().AddFile(ManifestPath(ApplicationFolder(platform.kernel),
                                     ExecutableName(platform.kernel)),
                        "<assembly/>", attr::kHidden);
    for (long i = 0; i < items; ++i) sim.shell().AddToRecycleBin(u'C', 35);

    NumberedFiles files(platform.files);
    ProgramWindows programWindows(platform.windows);
    CommonControlsStartup initialization(StartupContext{platform, files, programWindows});
    SingleOptionsDialog options(platform, programWindows, files, initialization);
    ShellRecycleBin bin(platform);
    TrayApplication app(platform, programWindows, files, initialization, options, bin);
    if (!app.IsOpen()) {
        std::fprintf(stderr, "the main window did not load\n");
        return 1;
    }
    sim.Advance(static_cast<std::uint32_t>(ticks) * 1000);
    // What the menu's first line shows once the ticks have run.
    std::string sizeLine;
    for (const char16_t c : app.Menu().Item("sizeLine").caption) {
        sizeLine += c < 0x80 ? static_cast<char>(c) : '?';
    }
    std::printf("%ld ticks with %ld items: \"%s\"\n", ticks, items, sizeLine.c_str());
    return 0;
}
