#pragma once

// The program's own orderly end: its files closed, its windows closed, the process ended.

#include "app/ProgramWindows.h"
#include "common/NumberedFiles.h"
#include "platform/Kernel.h"

namespace dustvale {

// Closes the unbroken run of open files that begins at number 1, highest number first. A
// file whose number lies above a gap stays open until the process ends.
void CloseAllFiles(NumberedFiles& files);

// Closes every open window, in the order they were opened. Closing the main window removes
// its tray icon.
void CloseAllWindows(ProgramWindows& windows);

// CloseAllFiles, CloseAllWindows, then ExitProcess. Does not return.
[[noreturn]] void TerminateProgram(NumberedFiles& files, ProgramWindows& windows, Kernel& kernel);

}  // namespace dustvale
