#include "app/ProgramWindows.h"

#include <algorithm>

namespace dustvale {

void ProgramWindows::Add(ProgramWindow& window) {
    if (std::find(open_.begin(), open_.end(), &window) == open_.end()) open_.push_back(&window);
}

void ProgramWindows::Remove(ProgramWindow& window) {
    const auto it = std::find(open_.begin(), open_.end(), &window);
    if (it == open_.end()) return;
    open_.erase(it);
    if (open_.empty()) windows_.PostQuitMessage(0);
}

}  // namespace dustvale
