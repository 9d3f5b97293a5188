#include "clean/TrashEmptier.h"

#include <optional>

#include "clean/FolderOpening.h"
#include "clean/ForcedDelete.h"
#include "clean/TrashItemRemoval.h"
#include "clean/TrashListing.h"

namespace dustvale {
namespace {

// Under Wine a folder without write permission shows as read-only: none of its entries could
// go, and Wine would not say so until each had been tried.
bool WriteProtected(const HeldFolder& folder) {
    const std::optional<EntryInfo> info = folder.handle->Info();
    return !info || (info->attributes & attr::kReadOnly) != 0;
}

void RemoveItems(FileSystem& files, const HeldTrash& trash, TrashEmptying& emptying) {
    TrashFileIndex index;
    ForEachListed(*trash.files.handle, [&](const DirectoryEntry& listed) { index.Add(listed, 0); });
    index.Seal();
    TrashItemRemover remover(files, trash, index.Size());
    ForEachListed(*trash.info.handle, [&](const DirectoryEntry& info) {
        const std::optional<std::u16string_view> described = DescribedFile(info.name);
        if (!described || (info.attributes & attr::kDirectory) != 0) return;
        const TrashFileIndex::Entry* file = index.Find(*described);
        if (file == nullptr) return;
        const TrashItem item{DirectoryEntry{Text(*described), file->attributes, file->fileId, 0},
                             info};
        remover.Remove(item);
    });
    const TrashRemovalTally tally = remover.Finish();
    emptying.removed += tally.removed;
    emptying.kept += tally.kept;
    emptying.infoKept += tally.infoKept;
}

// The entries of files/ that no .trashinfo describes, read again through a fresh handle. One
// whose .trashinfo appears meanwhile is an item trashed during the emptying, and stays.
void RemoveUndescribedFiles(FileSystem& files, const HeldTrash& trash) {
    SubFolderOpening fresh = OpenSubFolder(trash.trash, u"files", rights::kListDirectory);
    if (!fresh.folder) return;
    const HeldFolder& folder = *fresh.folder;
    ForEachListed(*folder.handle, [&](const DirectoryEntry& listed) {
        if (trash.info.handle->OpenChild(InfoNameOf(listed.name), 0) != nullptr) return;
        CheckedEntry entry = OpenForDeletion(folder, listed);
        DeleteCheckedEntry(files, folder, entry, [&files](HeldFolder& inner) {
            ForceDeleteFolder(files, inner, kTrashedFolderLevels);
        });
    });
}

void RemoveSizeCache(FileSystem& files, const HeldTrash& trash) {
    ForEachListed(*trash.trash.handle, [&](const DirectoryEntry& listed) {
        if (listed.name != u"directorysizes") return;
        CheckedEntry entry = OpenForDeletion(trash.trash, listed);
        if (entry.kind == EntryKind::File) ForceDeleteEntry(files, trash.trash, entry);
    });
}

}  // namespace

TrashEmptying EmptyTrash(FileSystem& files, const HeldTrash& trash) {
    TrashEmptying emptying;
    for (const HeldFolder* folder : {&trash.files, &trash.info}) {
        if (WriteProtected(*folder)) {
            emptying.refused = true;
            emptying.refusal = folder->finalPath + u" is write-protected: no item could go";
            return emptying;
        }
    }
    RemoveItems(files, trash, emptying);
    RemoveUndescribedFiles(files, trash);
    RemoveSizeCache(files, trash);
    return emptying;
}

}  // namespace dustvale
