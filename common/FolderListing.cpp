#include "common/FolderListing.h"

#include "common/TextRules.h"

namespace dustvale {

bool MatchesMask(std::uint32_t attributes, std::uint32_t mask) {
    constexpr std::uint32_t kSelective = attr::kHidden | attr::kSystem | attr::kDirectory;
    return (attributes & kSelective & ~mask) == 0;
}

std::optional<FindData> LookUpEntry(FileSystem& files, const Text& path, std::uint32_t mask) {
    if (path.find_first_of(u"*?") != Text::npos) return std::nullopt;
    FindData entry;
    auto search = files.FindFirstFile(path, entry);
    if (!search) return std::nullopt;
    entry.name = TrimAtNull(entry.name);
    if (entry.name.empty() || !MatchesMask(entry.attributes, mask)) return std::nullopt;
    return entry;
}

}  // namespace dustvale
