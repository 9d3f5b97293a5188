#include "common/FolderListing.h"

#include "common/TextRules.h"

namespace dustvale {
namespace {

bool IsDotEntry(const Text& name) { return name == u"." || name == u".."; }

}  // namespace

bool MatchesMask(std::uint32_t attributes, std::uint32_t mask) {
    constexpr std::uint32_t kSelective = attr::kHidden | attr::kSystem | attr::kDirectory;
    return (attributes & kSelective & ~mask) == 0;
}

std::vector<FindData> ListFolder(FileSystem& files, const Text& folder, std::uint32_t mask,
                                 const std::function<void()>& afterEachFetch) {
    std::vector<FindData> entries;
    FindData entry;
    auto search = files.FindFirstFile(folder + u"*.*", entry);
    if (!search) return entries;
    bool more = true;
    while (more) {
        entry.name = TrimAtNull(entry.name);
        if (!IsDotEntry(entry.name) && MatchesMask(entry.attributes, mask)) {
            entries.push_back(entry);
        }
        more = search->Next(entry);
        if (afterEachFetch) afterEachFetch();
    }
    return entries;
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
