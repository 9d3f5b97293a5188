#include "clean/EntryCheck.h"

#include "common/TextRules.h"

namespace dustvale {

ListedFolder::ListedFolder(FileSystem& files, const Text& folder)
    : files_(files), folder_(EnsureTrailing(folder, u"\\")) {
    if (auto final = files_.FinalPath(folder_)) finalFolder_ = EnsureTrailing(*final, u"\\");
}

EntryKind ListedFolder::Classify(const Text& name, std::uint32_t attributes) const {
    // Without the folder's own final path no entry can be vouched for.
    if (!finalFolder_) return EntryKind::Elsewhere;
    const auto final = files_.FinalPath(folder_ + name);
    if (final && !EqualsNoCase(*final, *finalFolder_ + name)) return EntryKind::Elsewhere;
    if ((attributes & attr::kReparsePoint) != 0) return EntryKind::Link;
    // An entry that cannot be opened for its attributes cannot be vouched for: under Wine it
    // may be a link to a file that is not readable, whose deletion would reach that file. On
    // Windows such an open practically always succeeds; a vanished entry loses nothing.
    if (!final) return EntryKind::Elsewhere;
    if ((attributes & attr::kDirectory) != 0) return EntryKind::Folder;
    return EntryKind::File;
}

}  // namespace dustvale
