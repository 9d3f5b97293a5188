#include "clean/HeldFolderListing.h"

#include "common/FolderListing.h"
#include "common/TextRules.h"

namespace dustvale {

std::vector<DirectoryEntry> ListHeldFolder(EntryHandle& folder, std::uint32_t mask,
                                           const std::function<void()>& afterEachFetch) {
    std::vector<DirectoryEntry> entries;
    DirectoryEntry entry;
    bool more = folder.ReadDirectory(entry);
    while (more) {
        entry.name = TrimAtNull(entry.name);
        if (entry.name != u"." && entry.name != u".." && MatchesMask(entry.attributes, mask)) {
            entries.push_back(entry);
        }
        more = folder.ReadDirectory(entry);
        if (afterEachFetch) afterEachFetch();
    }
    return entries;
}

}  // namespace dustvale
