#include "clean/ForcedDelete.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "clean/FolderMoveUp.h"
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

bool ClearAttributes(FileSystem& files, const HeldFolder& folder, CheckedEntry& entry) {
    constexpr std::uint32_t kGuarding = attr::kReadOnly | attr::kHidden | attr::kSystem;
    if ((entry.info.attributes & kGuarding) == 0) return true;
    return PathLeadsTo(files, folder, entry.finalPath, entry.info.fileId) &&
           entry.handle->SetAttributes(kNoAttributes);
}

bool ForceDeleteEntry(FileSystem& files, const HeldFolder& folder, CheckedEntry& entry) {
    // A failure to clear the attributes shows in the deletion that follows.
    ClearAttributes(files, folder, entry);
    return entry.handle->Delete();
}

void DeleteListedEntries(FileSystem& files, HeldFolder& folder,
                         std::vector<DirectoryEntry> entries,
                         const std::function<void(HeldFolder&)>& deleteFolder,
                         const std::function<void()>& beforeEachEntry) {
    // Last listed first (clang 14 cannot compile libstdc++ 12's views::reverse).
    std::reverse(entries.begin(), entries.end());
    bool moveTried = false;
    for (const auto& listed : entries) {
        if (beforeEachEntry) beforeEachEntry();
        // The entry may have changed since it was listed: its own handle decides.
        CheckedEntry entry = OpenForDeletion(folder, listed);
        if (entry.kind == EntryKind::Unnamed && !std::exchange(moveTried, true)) {
            entry = {};  // nothing below the folder is held open while it moves
            if (MoveFolderUp(files, folder)) entry = OpenForDeletion(folder, listed);
        }
        DeleteCheckedEntry(files, folder, entry, deleteFolder);
    }
}

void DeleteCheckedEntry(FileSystem& files, const HeldFolder& folder, CheckedEntry& entry,
                        const std::function<void(HeldFolder&)>& deleteFolder) {
    switch (entry.kind) {
        case EntryKind::Elsewhere:
        case EntryKind::Unnamed:
            break;
        case EntryKind::Link:
        case EntryKind::File:
            ForceDeleteEntry(files, folder, entry);
            break;
        case EntryKind::Folder: {
            ClearAttributes(files, folder, entry);
            HeldFolder inner{std::move(entry.handle), std::move(entry.finalPath), &folder};
            deleteFolder(inner);
            break;
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
