#pragma once

// Telling what an entry found by a folder's listing really is before anything is done to it.
//
// On Windows a link carries the reparse-point attribute and is removed as a link. Under Wine a
// Unix symbolic link need not: a link to a file lists as a plain file, and deleting it or
// clearing its attributes acts on the file it points to; removing a link to an empty folder
// removes that folder. What gives every such link away is the entry's final path: opened as
// itself, an entry that is what its listing says names itself, a link there names its target.

#include <cstdint>
#include <optional>

#include "platform/FileSystem.h"

namespace dustvale {

enum class EntryKind {
    Elsewhere,  // leads outside the folder: not deleted, not changed, not entered
    Link,       // a link that shows itself as one: removed as a link
    Folder,
    File,
};

// A folder whose listed entries are to be checked, with its own final path learnt once.
class ListedFolder {
public:
    // `folder` with or without its final "\".
    ListedFolder(FileSystem& files, const Text& folder);

    // What the entry `name` of this folder is, given the `attributes` its listing (or a later
    // read) reports. Elsewhere when its final path is not this folder's final path followed by
    // the name, and for every entry when the folder's own final path cannot be learnt.
    EntryKind Classify(const Text& name, std::uint32_t attributes) const;

private:
    FileSystem& files_;
    Text folder_;
    std::optional<Text> finalFolder_;  // ends with "\"
};

}  // namespace dustvale
