#include "clean/TrashListing.h"

#include <algorithm>

#include "common/TextRules.h"

namespace dustvale {
namespace {

constexpr std::u16string_view kInfoExtension = u".trashinfo";

bool ByHash(const TrashFileIndex::Entry& a, const TrashFileIndex::Entry& b) {
    return a.nameHash < b.nameHash;
}

}  // namespace

std::uint64_t TrashNameHash(std::u16string_view name) {
    // FNV-1a over the name's UTF-16 code units.
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char16_t unit : name) {
        hash ^= static_cast<std::uint64_t>(unit);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::optional<std::u16string_view> DescribedFile(std::u16string_view infoName) {
    if (infoName.size() <= kInfoExtension.size() || !infoName.ends_with(kInfoExtension)) {
        return std::nullopt;
    }
    return infoName.substr(0, infoName.size() - kInfoExtension.size());
}

Text InfoNameOf(const Text& fileName) { return fileName + Text(kInfoExtension); }

void ForEachListed(EntryHandle& folder, const std::function<void(const DirectoryEntry&)>& each) {
    folder.RestartDirectory();
    DirectoryEntry entry;
    while (folder.ReadDirectory(entry)) {
        entry.name = TrimAtNull(entry.name);
        if (entry.name == u"." || entry.name == u"..") continue;
        each(entry);
    }
}

void TrashFileIndex::Add(const DirectoryEntry& listed, std::uint64_t bytes) {
    entries_.push_back({TrashNameHash(listed.name), listed.fileId, bytes, listed.attributes});
}

void TrashFileIndex::Seal() { std::sort(entries_.begin(), entries_.end(), ByHash); }

const TrashFileIndex::Entry* TrashFileIndex::Find(std::u16string_view name) const {
    const Entry wanted{TrashNameHash(name)};
    const auto found = std::lower_bound(entries_.begin(), entries_.end(), wanted, ByHash);
    return found != entries_.end() && found->nameHash == wanted.nameHash ? &*found : nullptr;
}

}  // namespace dustvale
