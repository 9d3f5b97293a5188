#include "clean/FolderMoveUp.h"

#include <memory>
#include <optional>

#include "common/TextRules.h"

namespace dustvale {
namespace {

// "Dustvale-" and the folder's number in hex: no two folders of a volume share it.
Text MovedName(std::uint64_t fileId) {
    constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    Text digits;
    do {
        digits.insert(digits.begin(), kDigits[fileId % 16]);
        fileId /= 16;
    } while (fileId != 0);
    return u"Dustvale-" + digits;
}

// The last name of a final path.
Text LastName(const Text& finalPath) { return finalPath.substr(finalPath.rfind(u'\\') + 1); }

// Puts what moved to `movedTo` under `name` in place of `folder` back into the folder
// `folder` was in, as `oldName`: Wine moves by path, so another program that put a link on
// the way made it move something else, and names the new place as the link resolves. A link
// moved itself resolves to what it leads to, under another name: that stays, as does a link
// found there now (opened as what it leads to, whose path Wine would move).
void PutBack(FileSystem& files, const HeldFolder& folder, const Text& movedTo,
             const Text& name, const Text& oldName) {
    if (!EqualsNoCase(LastName(movedTo), name)) return;
    const std::unique_ptr<EntryHandle> moved = OpenFinalPath(files, movedTo, rights::kDelete);
    if (!moved) return;
    const std::optional<Text> final = moved->FinalPath();
    if (final && EqualsNoCase(*final, movedTo)) moved->MoveInto(*folder.parent->handle, oldName);
}

}  // namespace

bool MoveFolderUp(FileSystem& files, HeldFolder& folder) {
    // The top folder itself, or a folder directly in it, would gain nothing.
    if (folder.parent == nullptr || folder.parent->parent == nullptr) return false;
    const HeldFolder& top = TopOf(folder);
    const std::optional<EntryInfo> info = folder.handle->Info();
    if (!info || !PathLeadsTo(files, folder, folder.finalPath, info->fileId)) return false;
    const Text name = MovedName(info->fileId);
    if (!folder.handle->MoveInto(*top.handle, name)) return false;
    // Held to its new place as an entry of the top folder is held to its listing.
    const Text movedTo = ChildPath(top.finalPath, name);
    const std::optional<Text> final = folder.handle->FinalPath();
    if (final && EqualsNoCase(*final, movedTo) &&
        OpenListed(top, {name, info->attributes, info->fileId}, 0).kind == EntryKind::Folder) {
        folder.finalPath = movedTo;
        folder.parent = &top;
        return true;
    }
    // The handle names where the move went, whatever moved.
    if (final) PutBack(files, folder, *final, name, LastName(folder.finalPath));
    return false;
}

}  // namespace dustvale
