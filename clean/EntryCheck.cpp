#include "clean/EntryCheck.h"

#include <optional>

#include "common/TextRules.h"

namespace dustvale {
namespace {

constexpr std::uint32_t kKindBits = attr::kDirectory | attr::kReparsePoint;

}  // namespace

bool IsLink(const EntryInfo& info) {
    return (info.attributes & attr::kReparsePoint) != 0 &&
           (info.reparseTag & reparse::kNameSurrogate) != 0;
}

Text ChildPath(const Text& folderFinalPath, const Text& name) {
    // Not EnsureTrailing, which trims: a name may end in a blank.
    return folderFinalPath.ends_with(u'\\') ? folderFinalPath + name
                                             : folderFinalPath + u'\\' + name;
}

CheckedEntry OpenListed(const HeldFolder& folder, const DirectoryEntry& listed,
                        std::uint32_t rights) {
    CheckedEntry entry;
    entry.handle = folder.handle->OpenChild(listed.name, rights);
    if (!entry.handle) return entry;
    const std::optional<EntryInfo> info = entry.handle->Info();
    // Another entry was put under the name since the listing, or a link that Wine opened as
    // what it leads to.
    if (!info || info->fileId != listed.fileId ||
        (info->attributes & kKindBits) != (listed.attributes & kKindBits)) {
        return entry;
    }
    std::optional<Text> final = entry.handle->FinalPath();
    if (!final || !EqualsNoCase(*final, ChildPath(folder.finalPath, listed.name))) return entry;
    entry.info = *info;
    entry.finalPath = std::move(*final);
    if (IsLink(*info)) {
        entry.kind = EntryKind::Link;
    } else if ((info->attributes & attr::kDirectory) != 0) {
        entry.kind = EntryKind::Folder;
    } else {
        entry.kind = EntryKind::File;
    }
    return entry;
}

bool PathLeadsToEntry(FileSystem& files, const CheckedEntry& entry) {
    const std::unique_ptr<EntryHandle> again =
        files.OpenEntry(entry.finalPath, 0, LinkAtEnd::Opened);
    const std::optional<EntryInfo> info = again ? again->Info() : std::nullopt;
    return info && info->fileId == entry.info.fileId;
}

}  // namespace dustvale
