#include "common/NumberedFiles.h"

namespace dustvale {

int NumberedFiles::FreeNumber() const {
    int number = 1;
    while (open_.count(number) != 0) ++number;
    return number;
}

bool NumberedFiles::Open(int number, const Text& path, FileMode mode) {
    if (number < 1 || IsOpen(number)) return false;
    std::unique_ptr<OpenFile> file = files_.Open(path, mode);
    if (!file) return false;
    open_.emplace(number, std::move(file));
    return true;
}

OpenFile* NumberedFiles::Get(int number) const {
    auto found = open_.find(number);
    return found == open_.end() ? nullptr : found->second.get();
}

}  // namespace dustvale
