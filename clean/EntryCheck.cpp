#include "clean/EntryCheck.h"

#include <optional>

#include "common/TextRules.h"

namespace dustvale {
namespace {

constexpr std::uint32_t kKindBits = attr::kDirectory | attr::kReparsePoint;

// `fullPath` spelt so that it opens at any length, as it stands: "\\?\C:\..." or
// "\\?\UNC\server\...". A final path needs no normalising, and a name ending in a dot or
// blank is reached only so.
Text ExtendedLength(const Text& fullPath) {
    if (fullPath.starts_with(u"\\\\")) return u"\\\\?\\UNC\\" + fullPath.substr(2);
    return u"\\\\?\\" + fullPath;
}

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
    entry.info = *info;
    std::optional<Text> final = entry.handle->FinalPath();
    if (!final) {
        entry.kind = EntryKind::Unnamed;
        return entry;
    }
    if (!EqualsNoCase(*final, ChildPath(folder.finalPath, listed.name))) return entry;
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

std::unique_ptr<EntryHandle> OpenFinalPath(FileSystem& files, const Text& finalPath,
                                           std::uint32_t rights) {
    return files.OpenEntry(ExtendedLength(finalPath), rights, LinkAtEnd::Opened);
}

const HeldFolder& TopOf(const HeldFolder& folder) {
    const HeldFolder* top = &folder;
    while (top->parent != nullptr) top = top->parent;
    return *top;
}

bool PathLeadsTo(FileSystem& files, const HeldFolder& within, const Text& finalPath,
                 std::uint64_t fileId) {
    const Text& top = TopOf(within).finalPath;
    const std::size_t below = top.ends_with(u'\\') ? top.size() : top.size() + 1;
    const bool isTop = EqualsNoCase(finalPath, top);
    if (!isTop && (finalPath.size() <= below ||
                   !EqualsNoCase(ChildPath(top, finalPath.substr(below)), finalPath))) {
        return false;
    }
    std::unique_ptr<EntryHandle> again = OpenFinalPath(files, top, rights::kListDirectory);
    if (again && !isTop) again = again->OpenBelow(finalPath.substr(below), 0);
    const std::optional<EntryInfo> info = again ? again->Info() : std::nullopt;
    return info && info->fileId == fileId;
}

}  // namespace dustvale
