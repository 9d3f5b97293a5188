#include "clean/DatedTrashItems.h"

#include "clean/TrashCount.h"
#include "clean/TrashInfoDate.h"
#include "clean/TrashListing.h"

namespace dustvale {

std::vector<DatedTrashItem> ListDatedTrashItems(Kernel& kernel, const HeldTrash& trash) {
    const TrashFilesRead files = ReadTrashFiles(kernel, trash, {});
    std::vector<DatedTrashItem> items;
    ForEachListed(*trash.info.handle, [&](const DirectoryEntry& info) {
        const std::optional<std::u16string_view> described = DescribedFile(info.name);
        if (!described || (info.attributes & attr::kDirectory) != 0) return;
        const TrashFileIndex::Entry* file = files.index.Find(*described);
        if (file == nullptr) return;
        DatedTrashItem dated;
        dated.item = TrashItem{DirectoryEntry{Text(*described), file->attributes, file->fileId, 0},
                               info};
        dated.bytes = file->bytes;
        if (const std::optional<CalendarTime> local = ReadDeletionDate(trash.info, info)) {
            dated.deletedAt = kernel.LocalTimeToSystemTime(*local);
        }
        items.push_back(std::move(dated));
    });
    return items;
}

}  // namespace dustvale
