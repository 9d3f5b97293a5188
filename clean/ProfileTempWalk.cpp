#include "clean/ProfileTempWalk.h"

#include "clean/EntryCheck.h"
#include "common/TextRules.h"

namespace dustvale {
namespace {

constexpr std::u16string_view kTemp = u"Temp";
constexpr std::u16string_view kProfileTemp = u"\\Local Settings\\Temp";
constexpr std::u16string_view kServiceProfileTemp = u"Service\\Local Settings\\Temp";

// Walks the held folder, whose path as the walk spells it is `folder` (ending in "\"). Each
// sub-folder is opened through its parent's handle and checked before it is collected or
// walked, so that nothing a link leads to is ever listed.
void Walk(const Platform& platform, const HeldFolder& held, const Text& folder,
          TempFolderList& list) {
    DirectoryEntry entry;
    // The listing stays open while the sub-folders are walked; it closes on every way out.
    while (held.handle->ReadDirectory(entry)) {
        const Text name = Trim(TrimAtNull(entry.name));
        if ((entry.attributes & attr::kDirectory) == 0 || name == u"." || name == u"..") {
            continue;
        }
        platform.windows.ProcessPendingMessages();
        // A junction or folder link leads elsewhere, possibly back up the tree.
        CheckedEntry sub = OpenListed(held, entry, rights::kListDirectory);
        if (sub.kind != EntryKind::Folder) continue;

        const Text path = folder + name;
        if (EqualsNoCase(name, kTemp)) {
            if (EndsWithNoCase(path, kServiceProfileTemp)) {
                platform.windows.ProcessPendingMessages();
            } else if (EndsWithNoCase(path, kProfileTemp)) {
                list.Add(path);
            }
        }
        const HeldFolder subFolder{std::move(sub.handle), std::move(sub.finalPath)};
        Walk(platform, subFolder, EnsureTrailing(path, u"\\"), list);
    }
}

}  // namespace

void CollectProfileTempFolders(const Platform& platform, Text& folder, TempFolderList& list) {
    folder = EnsureTrailing(folder, u"\\");
    // The top folder is taken as its path says, links followed: it is the system's.
    HeldFolder top;
    top.handle = platform.files.OpenEntry(folder, rights::kListDirectory, LinkAtEnd::Followed);
    if (!top.handle) return;
    const std::optional<Text> final = top.handle->FinalPath();
    if (!final) return;
    top.finalPath = *final;
    Walk(platform, top, folder, list);
}

}  // namespace dustvale
