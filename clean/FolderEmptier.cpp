#include "clean/FolderEmptier.h"

#include <ranges>
#include <vector>

#include "clean/FolderListing.h"
#include "clean/ForcedDelete.h"
#include "clean/TextRules.h"

namespace dustvale {
namespace {

constexpr std::uint32_t kNoAttributes = 0;

}  // namespace

void DeleteFolderContents(const Platform& platform, Text folder) {
    folder = EnsureTrailing(folder, u"\\");
    FileSystem& files = platform.files;

    struct Found {
        Text path;
        std::uint32_t listedAttributes;
    };
    std::vector<Found> found;
    // A folder that cannot be listed gives no entries and stays untouched.
    for (const auto& entry : ListFolder(files, folder, mask::kEverything,
                                        [&] { platform.windows.ProcessPendingMessages(); })) {
        found.push_back({folder + entry.name, entry.attributes});
    }

    for (const auto& item : found | std::views::reverse) {
        // The entry may have changed while messages ran; its attributes as they are now
        // decide, those of the listing serve when it can no longer be read.
        const std::uint32_t attributes =
            files.GetFileAttributes(item.path).value_or(item.listedAttributes);
        // Each step may fail (a file in use, a vanished entry); the next one still runs.
        if ((attributes & attr::kReparsePoint) != 0) {
            RemoveLink(files, item.path, attributes);
        } else if ((attributes & attr::kDirectory) != 0) {
            files.SetFileAttributes(item.path, kNoAttributes);
            DeleteFolderContents(platform, item.path);
            ForceDeleteFolder(files, item.path);
        } else {
            files.SetFileAttributes(item.path, kNoAttributes);
            ForceDeleteFile(files, item.path);
        }
    }
}

void DeleteLooseFiles(FileSystem& files, const Text& folder) {
    const Text prefix = folder + u"\\";
    for (const auto& entry : ListFolder(files, prefix, mask::kEverything)) {
        if ((entry.attributes & attr::kDirectory) != 0) continue;
        // A file that cannot be deleted stays; the others still go.
        ForceDeleteFile(files, prefix + entry.name);
    }
}

}  // namespace dustvale
