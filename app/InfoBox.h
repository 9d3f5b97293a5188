#pragma once

// The program's standard information box and the rule for its caption.

#include "platform/Kernel.h"
#include "platform/Platform.h"

namespace dustvale {

// A modal box with `message`, the caption BuildMessageTitle(title), an OK button and the
// information icon; returns when the user has closed it.
void ShowInfo(const Platform& platform, const Text& message, const Text& title);

// The trimmed title, or when that is empty the executable's name without its extension
// followed by its version, e.g. "Dustvale v1.0.0".
Text BuildMessageTitle(Kernel& kernel, const Text& title);

}  // namespace dustvale
