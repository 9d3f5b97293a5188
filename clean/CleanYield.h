#pragma once

// The points where a clean lets pending messages run, so that the tray icon, its menu and the
// polling timer stay alive while it works. They are also where a clean stops once the program
// is ending: the yield then throws CleanStopped, which the cleaner catches at its top. Between
// two yields an entry is dealt with whole, so a stopped clean leaves no entry half-deleted.

#include <functional>

namespace dustvale {

using CleanYield = std::function<void()>;

// Thrown by a yield once the program is ending.
struct CleanStopped {};

}  // namespace dustvale
