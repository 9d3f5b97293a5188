#pragma once

// Starting with Windows for the current user: one string value under the per-user Run key,
// named after the application title and holding the executable's full path in double quotes.

#include "platform/Registry.h"
#include "platform/Types.h"

namespace dustvale {

inline constexpr const char16_t* kRunKeyPath =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The command the Run value holds: application folder + "\" + executable name + ".exe", in
// double quotes. The quotes matter: unquoted, a path with blanks lets Windows start a
// program planted at a shorter prefix of it ("C:\Program.exe").
Text AutostartCommand(const Text& applicationFolder, const Text& executableName);

// Writes the Run value with `command`. The Run key is opened for writing, never created: when
// it is missing or cannot be opened nothing is written. The key is closed again at once.
void WriteAutostart(Registry& registry, const Text& command);

// Deletes the Run value; a missing value or key is not an error.
void DeleteAutostart(Registry& registry);

}  // namespace dustvale
