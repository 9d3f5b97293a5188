#include "app/LoadedForms.h"

#include <algorithm>

namespace dustvale {

void LoadedForms::Register(LoadedForm& form) {
    if (std::find(forms_.begin(), forms_.end(), &form) == forms_.end()) forms_.push_back(&form);
}

void LoadedForms::Unregister(LoadedForm& form) {
    const auto it = std::find(forms_.begin(), forms_.end(), &form);
    if (it == forms_.end()) return;
    forms_.erase(it);
    if (forms_.empty()) windows_.PostQuitMessage(0);
}

}  // namespace dustvale
