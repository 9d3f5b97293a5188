#include "clean/EntryCheck.h"

#include "clean/TextRules.h"

namespace dustvale {
namespace {

// A reparse point that stands for another entry; other reparse points (cloud placeholders,
// deduplicated or compressed files) hold their own data and are what their attributes say.
bool IsLink(const EntryInfo& info) {
    return (info.attributes & attr::kReparsePoint) != 0 &&
           (info.reparseTag & reparse::kNameSurrogate) != 0;
}

}  // namespace

Text ChildPath(const Text& folderFinalPath, const Text& name) {
    // Not EnsureTrailing, which trims: a name may end in a blank.
    return folderFinalPath.ends_with(u'\\') ? folderFinalPath + name
                                             : folderFinalPath + u'\\' + name;
}

CheckedEntry OpenAndCheck(const HeldFolder& folder, const Text& name, std::uint32_t rights,
                          std::optional<std::uint64_t> listedId) {
    CheckedEntry entry;
    entry.handle = folder.handle->OpenChild(name, rights);
    if (!entry.handle) return entry;
    const std::optional<EntryInfo> info = entry.handle->Info();
    // Another entry under the same name was put there after the listing.
    if (!info || (listedId && info->fileId != *listedId)) return entry;
    const std::optional<Text> final = entry.handle->FinalPath();
    if (!final || !EqualsNoCase(*final, ChildPath(folder.finalPath, name))) return entry;
    if (IsLink(*info)) {
        entry.kind = EntryKind::Link;
    } else if ((info->attributes & attr::kDirectory) != 0) {
        entry.kind = EntryKind::Folder;
        entry.finalPath = *final;
    } else {
        entry.kind = EntryKind::File;
    }
    return entry;
}

CheckedEntry OpenListed(const HeldFolder& folder, const DirectoryEntry& listed,
                        std::uint32_t rights) {
    return OpenAndCheck(folder, listed.name, rights, listed.fileId);
}

}  // namespace dustvale
