#include "common/FileExists.h"

#include <exception>
#include <memory>

namespace dustvale {

namespace {

// A directory listing that asks for normal files and folders passes over hidden and system
// entries rather than stopping at them.
bool Admitted(const FindData& entry) {
    constexpr std::uint32_t kUnseen = attr::kHidden | attr::kSystem;
    return (entry.attributes & kUnseen) == 0 && !entry.name.empty();
}

}  // namespace

bool FileExists(FileSystem& files, const Text& pattern) {
    if (pattern.empty()) {
        return false;  // no name to look for: the lookup has nothing to match
    }
    // Whatever the lookup runs into is an answer of "no", never an error for the caller.
    try {
        FindData entry;
        std::unique_ptr<FileSearch> search = files.FindFirstFile(pattern, entry);
        if (!search) {
            return false;
        }
        do {
            if (Admitted(entry)) {
                return true;
            }
            entry = FindData{};
        } while (search->Next(entry));
        return false;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace dustvale
