#include "clean/EntryCheck.h"

#include "clean/TextRules.h"

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
    // An entry that cannot be opened (one vanished meanwhile, a link leading nowhere) cannot
    // be reached through by the deletion either, which opens the same path the same way; so
    // what the listing says decides, as it does on Windows, where every link shows as one.
    if ((attributes & attr::kReparsePoint) != 0) return EntryKind::Link;
    if ((attributes & attr::kDirectory) != 0) return EntryKind::Folder;
    return EntryKind::File;
}

}  // namespace dustvale
