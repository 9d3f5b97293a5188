#include "clean/FolderEmptier.h"

#include <algorithm>
#include <vector>

#include "clean/EntryCheck.h"
#include "clean/ForcedDelete.h"
#include "common/FolderListing.h"
#include "common/TextRules.h"

namespace dustvale {
namespace {

constexpr std::uint32_t kNoAttributes = 0;

}  // namespace

void DeleteFolderContents(const Platform& platform, Text folder) {
    folder = EnsureTrailing(folder, u"\\");
    FileSystem& files = platform.files;

    struct Found {
        Text name;
        Text path;
        std::uint32_t listedAttributes;
    };
    // The folder's own final path is learnt before the listing lets messages run: a folder
    // swapped for a link meanwhile then cannot pass its target's files off as its own.
    const ListedFolder listed(files, folder);
    std::vector<Found> found;
    // A folder that cannot be listed gives no entries and stays untouched.
    for (const auto& entry : ListFolder(files, folder, mask::kEverything,
                                        [&] { platform.windows.ProcessPendingMessages(); })) {
        found.push_back({entry.name, folder + entry.name, entry.attributes});
    }
    if (found.empty()) return;

    // Last listed first (clang 14 cannot compile libstdc++ 12's views::reverse).
    std::reverse(found.begin(), found.end());
    for (const auto& item : found) {
        // The entry may have changed while messages ran; its attributes as they are now
        // decide, those of the listing serve when it can no longer be read.
        const std::uint32_t attributes =
            files.GetFileAttributes(item.path).value_or(item.listedAttributes);
        // Each step may fail (a file in use, a vanished entry); the next one still runs.
        switch (listed.Classify(item.name, attributes)) {
            case EntryKind::Elsewhere:
                break;
            case EntryKind::Link:
                RemoveLink(files, item.path, attributes);
                break;
            case EntryKind::Folder:
                files.SetFileAttributes(item.path, kNoAttributes);
                DeleteFolderContents(platform, item.path);
                // Messages ran while it was emptied: it goes only if it is still itself.
                if (listed.Classify(item.name, files.GetFileAttributes(item.path).value_or(0)) ==
                    EntryKind::Folder) {
                    ForceDeleteFolder(files, item.path);
                }
                break;
            case EntryKind::File:
                // With its attributes cleared, a plain delete is all the forced one would do;
                // the file was checked just now, so it is not looked at a second time.
                files.SetFileAttributes(item.path, kNoAttributes);
                files.DeleteFile(item.path);
                break;
        }
    }
}

void DeleteLooseFiles(FileSystem& files, const Text& folder) {
    const Text prefix = folder + u"\\";
    const auto entries = ListFolder(files, prefix, mask::kEverything);
    if (entries.empty()) return;
    const ListedFolder listed(files, prefix);
    for (const auto& entry : entries) {
        if ((entry.attributes & attr::kDirectory) != 0) continue;
        // A file that cannot be deleted stays; the others still go.
        switch (listed.Classify(entry.name, entry.attributes)) {
            case EntryKind::Link:
                RemoveLink(files, prefix + entry.name, entry.attributes);
                break;
            case EntryKind::File:
                ForceDeleteFile(files, prefix + entry.name);
                break;
            case EntryKind::Elsewhere:
            case EntryKind::Folder:
                break;
        }
    }
}

}  // namespace dustvale
