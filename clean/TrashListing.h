#pragma once

// Reading the Trash's folders: files/ and info/ hold an entry each per item, a hundred
// thousand of them in a large Trash. They are read one entry at a time and kept without their
// names, so that counting or emptying a large Trash does not leave the program holding the
// memory of a hundred thousand names.

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

namespace dustvale {

// The file that the .trashinfo named `infoName` describes (its name without the extension);
// nullopt for any other name. Unix names are exact: the extension too.
std::optional<std::u16string_view> DescribedFile(std::u16string_view infoName);
Text InfoNameOf(const Text& fileName);

// The 64-bit hash a name is kept by.
std::uint64_t TrashNameHash(std::u16string_view name);

// Reads the held folder's listing from its start, every entry but "." and "..", and hands
// each to `each` as it comes.
void ForEachListed(EntryHandle& folder, const std::function<void(const DirectoryEntry&)>& each);

// The entries of files/, found by name. Names are kept as 64-bit hashes: two names that meet
// on one hash (one chance in billions in a large Trash) could pair a .trashinfo with another
// entry, which its number then tells apart before anything is deleted.
class TrashFileIndex {
public:
    struct Entry {
        std::uint64_t nameHash = 0;
        std::uint64_t fileId = 0;
        std::uint64_t bytes = 0;  // what the entry holds, a folder's contents included
        std::uint32_t attributes = 0;
    };

    void Add(const DirectoryEntry& listed, std::uint64_t bytes);
    // Makes the entries added so far findable.
    void Seal();
    const Entry* Find(std::u16string_view name) const;
    std::size_t Size() const { return entries_.size(); }

private:
    std::vector<Entry> entries_;
};

}  // namespace dustvale
