#include "clean/ForcedDelete.h"

#include "clean/EntryCheck.h"
#include "common/FolderListing.h"

namespace dustvale {
namespace {

constexpr std::uint32_t kNoAttributes = 0;

bool IsLink(std::uint32_t attributes) { return (attributes & attr::kReparsePoint) != 0; }
bool IsFolder(std::uint32_t attributes) { return (attributes & attr::kDirectory) != 0; }

}  // namespace

bool RemoveLink(FileSystem& files, const Text& path, std::uint32_t attributes) {
    // No attribute change here: setting attributes through a link changes its target.
    return IsFolder(attributes) ? files.RemoveDirectory(path) : files.DeleteFile(path);
}

bool ForceDeleteFile(FileSystem& files, const Text& path) {
    const auto attributes = files.GetFileAttributes(path);
    if (attributes && IsLink(*attributes)) return RemoveLink(files, path, *attributes);
    // A failure to clear the attributes shows in the deletion that follows.
    files.SetFileAttributes(path, kNoAttributes);
    return files.DeleteFile(path);
}

bool ForceDeleteFolder(FileSystem& files, const Text& path) {
    const auto attributes = files.GetFileAttributes(path);
    if (!attributes) return false;
    if (IsLink(*attributes)) return RemoveLink(files, path, *attributes);
    files.SetFileAttributes(path, kNoAttributes);

    const Text folder = path + u"\\";
    const auto entries = ListFolder(files, folder, mask::kEverything);
    if (!entries.empty()) {
        const ListedFolder listed(files, folder);
        for (const auto& entry : entries) {
            const Text item = folder + entry.name;
            // Each item that cannot go stays; the others still go.
            switch (listed.Classify(entry.name, entry.attributes)) {
                case EntryKind::Elsewhere:
                    break;
                case EntryKind::Link:
                    RemoveLink(files, item, entry.attributes);
                    break;
                case EntryKind::Folder:
                    ForceDeleteFolder(files, item);
                    break;
                case EntryKind::File:
                    ForceDeleteFile(files, item);
                    break;
            }
        }
    }
    return files.RemoveDirectory(path);
}

}  // namespace dustvale
