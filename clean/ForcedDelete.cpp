#include "clean/ForcedDelete.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "clean/HeldFolderListing.h"
#include "common/FolderListing.h"

namespace dustvale {
namespace {

constexpr std::uint32_t kNoAttributes = 0;

}  // namespace

CheckedEntry OpenForDeletion(const HeldFolder& folder, const DirectoryEntry& listed) {
    const bool listedAsFolder = (listed.attributes & attr::kDirectory) != 0;
    CheckedEntry entry =
        OpenListed(folder, listed, listedAsFolder ? delete_rights::kFolder : delete_rights::kFile);
    if (entry.handle) return entry;
    // Another program's current folder refuses deletion, not the deletion of its contents;
    // a file whose attributes may not be changed may still be deleted.
    return OpenListed(folder, listed,
                      listedAsFolder ? delete_rights::kFolder & ~rights::kDelete : rights::kDelete);
}

bool ClearAttributes(FileSystem& files, CheckedEntry& entry) {
    constexpr std::uint32_t kGuarding = attr::kReadOnly | attr::kHidden | attr::kSystem;
    if ((entry.info.attributes & kGuarding) == 0) return true;
    return PathLeadsToEntry(files, entry) && entry.handle->SetAttributes(kNoAttributes);
}

bool ForceDeleteEntry(FileSystem& files, CheckedEntry& entry) {
    // A failure to clear the attributes shows in the deletion that follows.
    ClearAttributes(files, entry);
    return entry.handle->Delete();
}

void DeleteListedEntries(FileSystem& files, const HeldFolder& folder,
                         std::vector<DirectoryEntry> entries,
                         const std::function<void(HeldFolder&)>& deleteFolder) {
    // Last listed first (clang 14 cannot compile libstdc++ 12's views::reverse).
    std::reverse(entries.begin(), entries.end());
    for (const auto& listed : entries) {
        // The entry may have changed since it was listed: its own handle decides.
        CheckedEntry entry = OpenForDeletion(folder, listed);
        switch (entry.kind) {
            case EntryKind::Elsewhere:
                break;
            case EntryKind::Link:
            case EntryKind::File:
                ForceDeleteEntry(files, entry);
                break;
            case EntryKind::Folder: {
                ClearAttributes(files, entry);
                HeldFolder inner{std::move(entry.handle), std::move(entry.finalPath)};
                deleteFolder(inner);
                break;
            }
        }
    }
}

bool ForceDeleteFolder(FileSystem& files, HeldFolder& folder, std::size_t levels) {
    // Emptied just before, as a rule: then nothing needs listing again.
    if (folder.handle->Delete()) return true;
    if (levels == 0) return false;
    folder.handle->RestartDirectory();
    DeleteListedEntries(files, folder, ListHeldFolder(*folder.handle, mask::kEverything),
                        [&](HeldFolder& inner) { ForceDeleteFolder(files, inner, levels - 1); });
    return folder.handle->Delete();
}

}  // namespace dustvale
