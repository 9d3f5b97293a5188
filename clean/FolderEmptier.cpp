#include "clean/FolderEmptier.h"

#include <algorithm>
#include <vector>

#include "clean/FolderOpening.h"
#include "clean/ForcedDelete.h"
#include "clean/HeldFolderListing.h"
#include "common/FolderListing.h"
#include "common/PathRules.h"

namespace dustvale {

void DeleteFolderContents(const Platform& platform, HeldFolder& folder) {
    // A folder that cannot be listed gives no entries and stays untouched.
    std::vector<DirectoryEntry> entries = ListHeldFolder(
        *folder.handle, mask::kEverything, [&] { platform.windows.ProcessPendingMessages(); });
    // Last listed first (clang 14 cannot compile libstdc++ 12's views::reverse).
    std::reverse(entries.begin(), entries.end());
    for (const auto& listed : entries) {
        // The entry may have changed while messages ran: its own handle decides.
        CheckedEntry entry = OpenForDeletion(folder, listed);
        // Each step may fail (a file in use, a vanished entry); the next one still runs.
        switch (entry.kind) {
            case EntryKind::Elsewhere:
                break;
            case EntryKind::Link:
            case EntryKind::File:
                ForceDeleteEntry(platform.files, entry);
                break;
            case EntryKind::Folder: {
                ClearAttributes(platform.files, entry);
                HeldFolder inner{std::move(entry.handle), std::move(entry.finalPath)};
                DeleteFolderContents(platform, inner);
                ForceDeleteFolder(platform.files, inner);
                break;
            }
        }
    }
}

void DeleteLooseFiles(FileSystem& files, const Text& folder) {
    // The folder as reported may hold 8.3 aliases; it is checked by its long names.
    const Text longFolder = NormalizePath(files, folder);
    if (longFolder.empty()) return;
    std::optional<HeldFolder> held =
        OpenFolderBelow(files, longFolder, longFolder, rights::kListDirectory);
    if (!held) return;
    for (const auto& listed : ListHeldFolder(*held->handle, mask::kEverything)) {
        if ((listed.attributes & attr::kDirectory) != 0) continue;
        CheckedEntry entry = OpenListed(*held, listed, delete_rights::kFile);
        // A file that cannot be deleted stays; the others still go.
        if (entry.kind == EntryKind::File || entry.kind == EntryKind::Link) {
            ForceDeleteEntry(files, entry);
        }
    }
}

}  // namespace dustvale
