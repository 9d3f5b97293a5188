#include "clean/TrashItemRemoval.h"

#include <optional>

#include "clean/FolderOpening.h"
#include "clean/ForcedDelete.h"

namespace dustvale {
namespace {

// Whether an entry named `name` stands in `folder`. Windows takes an entry out of its folder
// when it is deleted, Wine only when the last handle on it closes, and without saying whether
// the folder let it go: only a look afterwards tells. An entry put there under the same name
// meanwhile counts as well: the item's .trashinfo now describes it.
bool StillThere(const HeldFolder& folder, const Text& name) {
    return folder.handle->OpenChild(name, 0) != nullptr;
}

}  // namespace

TrashItemRemoval RemoveTrashItem(FileSystem& files, const HeldTrash& trash, const TrashItem& item) {
    {
        CheckedEntry entry = OpenForDeletion(trash.files, item.file);
        DeleteCheckedEntry(files, trash.files, entry, [&files](HeldFolder& inner) {
            ForceDeleteFolder(files, inner, kTrashedFolderLevels);
        });
    }  // closed here: under Wine the deletion happens now
    if (StillThere(trash.files, item.file.name)) return TrashItemRemoval::Kept;
    {
        CheckedEntry info = OpenForDeletion(trash.info, item.info);
        if (info.kind == EntryKind::File) ForceDeleteEntry(files, trash.info, info);
    }
    return StillThere(trash.info, item.info.name) ? TrashItemRemoval::InfoKept
                                                  : TrashItemRemoval::Removed;
}

}  // namespace dustvale
