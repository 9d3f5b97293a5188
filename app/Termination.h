#pragma once

// The program's own orderly end: its files closed, its forms unloaded, the process ended.

#include "app/LoadedForms.h"
#include "common/FileTable.h"
#include "platform/Kernel.h"

namespace dustvale {

// Closes the unbroken run of open files that begins at number 1, highest number first. A
// file whose number lies above a gap stays open until the process ends.
void CloseAllFiles(FileTable& files);

// Unloads every loaded form, in the order they were loaded. Unloading the main form removes
// its tray icon.
void UnloadAllForms(LoadedForms& forms);

// CloseAllFiles, UnloadAllForms, then ExitProcess. Does not return.
[[noreturn]] void TerminateProgram(FileTable& files, LoadedForms& forms, Kernel& kernel);

}  // namespace dustvale
