#pragma once

// The bundle of platform services that the program's objects receive. The real one is made
// by the Win32 entry point, the simulated one by each test.

#include "platform/CommonControls.h"
#include "platform/DialogWindow.h"
#include "platform/FileSystem.h"
#include "platform/Kernel.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/UserInterface.h"
#include "platform/Windowing.h"

namespace dustvale {

struct Platform {
    Shell& shell;
    Windowing& windows;
    FileSystem& files;
    Kernel& kernel;
    UserInterface& ui;
    Registry& registry;
    CommonControls& commonControls;
    Dialogs& dialogs;
};

}  // namespace dustvale
