#include "clean/ProfileTempWalk.h"

#include <optional>

#include "clean/EntryCheck.h"
#include "common/TextRules.h"

namespace dustvale {
namespace {

constexpr std::u16string_view kLocalSettings = u"Local Settings";
constexpr std::u16string_view kTemp = u"Temp";
constexpr std::u16string_view kService = u"Service";

bool IsSubFolder(const DirectoryEntry& entry, const Text& name) {
    return (entry.attributes & attr::kDirectory) != 0 && name != u"." && name != u"..";
}

// The sub-folder `name` of the folder just opened, opened through it as itself and checked;
// nothing when it is missing, a link, or changed since it was listed. The folder's listing is
// read up to the name only.
std::optional<HeldFolder> OpenSubFolderNamed(const HeldFolder& folder, std::u16string_view name) {
    DirectoryEntry entry;
    while (folder.handle->ReadDirectory(entry)) {
        const Text listed = TrimAtNull(entry.name);
        if (!IsSubFolder(entry, listed) || !EqualsNoCase(listed, name)) continue;
        CheckedEntry sub = OpenListed(folder, entry, rights::kListDirectory);
        if (sub.kind != EntryKind::Folder) return std::nullopt;
        return HeldFolder{std::move(sub.handle), std::move(sub.finalPath)};
    }
    return std::nullopt;
}

// The profile's temporary folder, if it keeps one in a real Local Settings folder.
bool HasProfileTemp(const HeldFolder& profile) {
    const std::optional<HeldFolder> localSettings = OpenSubFolderNamed(profile, kLocalSettings);
    return localSettings && OpenSubFolderNamed(*localSettings, kTemp).has_value();
}

}  // namespace

void CollectProfileTempFolders(FileSystem& files, Text& folder, TempFolderList& list,
                               const CleanYield& yield) {
    folder = EnsureTrailing(folder, u"\\");
    // The top folder is taken as its path says, links followed: it is the system's.
    HeldFolder top;
    top.handle = files.OpenEntry(folder, rights::kListDirectory, LinkAtEnd::Followed);
    if (!top.handle) return;
    const std::optional<Text> final = top.handle->FinalPath();
    if (!final) return;
    top.finalPath = *final;

    DirectoryEntry entry;
    // The listing stays open while the profiles are looked at; it closes on every way out.
    while (top.handle->ReadDirectory(entry)) {
        const Text name = Trim(TrimAtNull(entry.name));
        if (!IsSubFolder(entry, name)) continue;
        yield();
        // Service accounts keep what their services still use in their temporary folders.
        if (EndsWithNoCase(name, kService)) continue;
        CheckedEntry profile = OpenListed(top, entry, rights::kListDirectory);
        if (profile.kind != EntryKind::Folder) continue;
        const HeldFolder held{std::move(profile.handle), std::move(profile.finalPath)};
        if (HasProfileTemp(held)) {
            list.Add(folder + name + u"\\" + Text(kLocalSettings) + u"\\" + Text(kTemp));
        }
    }
}

}  // namespace dustvale
