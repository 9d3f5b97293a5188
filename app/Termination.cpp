#include "app/Termination.h"

#include <exception>
#include <vector>

namespace dustvale {

namespace {

// The program ended as it meant to: after writing its manifest, to be started again.
constexpr std::uint32_t kExitCode = 0;

}  // namespace

void CloseAllFiles(NumberedFiles& files) {
    for (int free = files.FreeNumber(); free != 1; free = files.FreeNumber()) files.Close(free - 1);
}

void CloseAllWindows(ProgramWindows& windows) {
    // Closing takes a window out of the list: walk a copy.
    const std::vector<ProgramWindow*> open = windows.All();
    for (ProgramWindow* window : open) window->Close();
}

void TerminateProgram(NumberedFiles& files, ProgramWindows& windows, Kernel& kernel) {
    CloseAllFiles(files);
    CloseAllWindows(windows);
    kernel.ExitProcess(kExitCode);
    // ExitProcess does not come back; were it to, nothing of the program may run any more.
    std::terminate();
}

}  // namespace dustvale
