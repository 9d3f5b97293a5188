#pragma once

// Clearing the shell's list of recently used documents.

#include "platform/Shell.h"

namespace dustvale {

// Asks the shell to empty its recent-documents list. The shell does the clearing; nothing is
// checked before or after, and a failure of the shell call goes unnoticed.
void ClearRecentDocuments(Shell& shell);

}  // namespace dustvale
