#include "clean/FolderEmptier.h"

#include <utility>
#include <vector>

#include "clean/FolderOpening.h"
#include "clean/ForcedDelete.h"
#include "clean/HeldFolderListing.h"
#include "common/FolderListing.h"
#include "common/PathRules.h"

namespace dustvale {

void DeleteFolderContents(FileSystem& files, HeldFolder& folder, const CleanYield& yield) {
    // A folder that cannot be listed gives no entries and stays untouched.
    std::vector<DirectoryEntry> entries = ListHeldFolder(*folder.handle, mask::kEverything, yield);
    DeleteListedEntries(
        files, folder, std::move(entries),
        [&](HeldFolder& inner) {
            DeleteFolderContents(files, inner, yield);
            ForceDeleteFolder(files, inner);
        },
        yield);
}

void DeleteLooseFiles(FileSystem& files, const Text& folder, const CleanYield& yield) {
    // The folder as reported may hold 8.3 aliases; it is checked by its long names.
    const Text longFolder = NormalizePath(files, folder);
    if (longFolder.empty()) return;
    std::optional<HeldFolder> held =
        OpenFolderBelow(files, longFolder, longFolder, rights::kListDirectory);
    if (!held) return;
    for (const auto& listed : ListHeldFolder(*held->handle, mask::kEverything, yield)) {
        if ((listed.attributes & attr::kDirectory) != 0) continue;
        yield();
        CheckedEntry entry = OpenListed(*held, listed, delete_rights::kFile);
        // A file that cannot be deleted stays; the others still go.
        if (entry.kind == EntryKind::File || entry.kind == EntryKind::Link) {
            ForceDeleteEntry(files, *held, entry);
        }
    }
}

}  // namespace dustvale
