#include "clean/ProfileTempWalk.h"

#include "clean/EntryCheck.h"
#include "common/TextRules.h"

namespace dustvale {
namespace {

constexpr std::u16string_view kTemp = u"Temp";
constexpr std::u16string_view kProfileTemp = u"\\Local Settings\\Temp";
constexpr std::u16string_view kServiceProfileTemp = u"Service\\Local Settings\\Temp";

}  // namespace

void CollectProfileTempFolders(const Platform& platform, Text& folder, TempFolderList& list) {
    folder = EnsureTrailing(folder, u"\\");
    FindData entry;
    // The search stays open while the sub-folders are walked; it closes on every way out.
    auto search = platform.files.FindFirstFile(folder + u"*.*", entry);
    if (!search) return;
    const ListedFolder listed(platform.files, folder);
    do {
        const Text name = Trim(TrimAtNull(entry.name));
        if ((entry.attributes & attr::kDirectory) == 0 || name == u"." || name == u"..") {
            continue;
        }
        platform.windows.ProcessPendingMessages();
        // A junction or folder link leads elsewhere, possibly back up the tree.
        if (listed.Classify(name, entry.attributes) != EntryKind::Folder) continue;

        const Text path = folder + name;
        if (EqualsNoCase(name, kTemp)) {
            if (EndsWithNoCase(path, kServiceProfileTemp)) {
                platform.windows.ProcessPendingMessages();
            } else if (EndsWithNoCase(path, kProfileTemp)) {
                list.Add(path);
            }
        }
        Text subFolder = EnsureTrailing(path, u"\\");
        CollectProfileTempFolders(platform, subFolder, list);
    } while (search->Next(entry));
}

}  // namespace dustvale
