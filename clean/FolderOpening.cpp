#include "clean/FolderOpening.h"

#include <vector>

#include "common/TextRules.h"

namespace dustvale {
namespace {

// The names of the folders from `top` down to `folder`; nullopt when `folder` is not `top`
// or below it.
std::optional<std::vector<Text>> NamesBelow(const Text& top, const Text& folder) {
    const Text from = RemoveTrailing(top, u"\\");
    const Text to = RemoveTrailing(folder, u"\\");
    if (to.size() < from.size() || !EqualsNoCase(to.substr(0, from.size()), from)) {
        return std::nullopt;
    }
    std::vector<Text> names;
    if (to.size() == from.size()) return names;
    if (to[from.size()] != u'\\') return std::nullopt;
    std::size_t start = from.size() + 1;
    for (std::size_t end = to.find(u'\\', start);; end = to.find(u'\\', start)) {
        names.push_back(to.substr(start, end == Text::npos ? Text::npos : end - start));
        if (end == Text::npos) break;
        start = end + 1;
    }
    return names;
}

// `path` without a final "\\", but a drive's root keeps it: "C:" alone names the drive's
// current folder.
Text OpenablePath(const Text& path) {
    Text trimmed = RemoveTrailing(path, u"\\");
    if (trimmed.size() == 2 && trimmed[1] == u':') trimmed += u'\\';
    return trimmed;
}

// The entry `name` as the listing of `folder` gives it, so that what is opened under the name
// can be held to it.
std::optional<DirectoryEntry> FindListed(EntryHandle& folder, const Text& name) {
    DirectoryEntry entry;
    while (folder.ReadDirectory(entry)) {
        if (EqualsNoCase(TrimAtNull(entry.name), name)) return entry;
    }
    return std::nullopt;
}

bool IsPlainFolder(EntryHandle& handle) {
    const std::optional<EntryInfo> info = handle.Info();
    return info && (info->attributes & attr::kDirectory) != 0 && !IsLink(*info);
}

}  // namespace

std::optional<HeldFolder> OpenFolderBelow(FileSystem& files, const Text& top, const Text& folder,
                                          std::uint32_t rights) {
    std::optional<std::vector<Text>> names = NamesBelow(top, folder);
    if (!names) return std::nullopt;
    Text anchor = RemoveTrailing(top, u"\\");
    if (names->empty()) {
        // The folder itself is checked as an entry of the folder that holds it.
        const auto cut = anchor.rfind(u'\\');
        if (cut == Text::npos || cut + 1 == anchor.size()) return std::nullopt;
        names->push_back(anchor.substr(cut + 1));
        anchor.resize(cut);
    }
    HeldFolder held;
    held.handle =
        files.OpenEntry(OpenablePath(anchor), rights::kListDirectory, LinkAtEnd::Followed);
    if (!held.handle || !IsPlainFolder(*held.handle)) return std::nullopt;
    const std::optional<Text> final = held.handle->FinalPath();
    if (!final) return std::nullopt;
    held.finalPath = *final;
    for (std::size_t i = 0; i < names->size(); ++i) {
        const bool last = i + 1 == names->size();
        SubFolderOpening next =
            OpenSubFolder(held, (*names)[i], last ? rights : rights::kListDirectory);
        if (!next.folder) return std::nullopt;
        held = std::move(*next.folder);
    }
    return held;
}

SubFolderOpening OpenSubFolder(const HeldFolder& parent, const Text& name, std::uint32_t rights) {
    SubFolderOpening opening;
    // The parent's listing may have been read before, for another name.
    parent.handle->RestartDirectory();
    const std::optional<DirectoryEntry> listed = FindListed(*parent.handle, name);
    if (!listed) return opening;
    if ((listed->attributes & attr::kReparsePoint) != 0) {
        opening.outcome = SubFolderOutcome::Link;
        return opening;
    }
    if ((listed->attributes & attr::kDirectory) == 0) {
        opening.outcome = SubFolderOutcome::NotAFolder;
        return opening;
    }
    CheckedEntry entry = OpenListed(parent, *listed, rights);
    switch (entry.kind) {
        case EntryKind::Folder:
            opening.outcome = SubFolderOutcome::Opened;
            opening.folder = HeldFolder{std::move(entry.handle), std::move(entry.finalPath)};
            break;
        case EntryKind::Link:
            opening.outcome = SubFolderOutcome::Link;
            break;
        case EntryKind::File:
            opening.outcome = SubFolderOutcome::NotAFolder;
            break;
        case EntryKind::Elsewhere:
        case EntryKind::Unnamed:
            opening.outcome = SubFolderOutcome::Elsewhere;
            break;
    }
    return opening;
}

}  // namespace dustvale
