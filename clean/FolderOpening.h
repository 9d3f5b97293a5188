#pragma once

// Opening a folder that is to be emptied, so that it is the folder its path names and not
// one a link puts in its place.

#include <cstdint>
#include <optional>

#include "clean/EntryCheck.h"
#include "platform/FileSystem.h"

namespace dustvale {

// Opens `folder`, which is `top` or lies below it, with `rights`. `top` is opened as its path
// says, links followed (the top folders, such as the one holding the profiles, belong to the
// system or its administrator); each folder below it is opened through its parent's handle as
// itself and must name itself there. When `folder` is `top`, it is opened so from the folder
// that holds it. nullopt when any folder on the way cannot be opened, is a link or leads
// elsewhere, and when `folder` is not `top` or below it. Both are spelt in long names, and
// either may end in "\".
std::optional<HeldFolder> OpenFolderBelow(FileSystem& files, const Text& top, const Text& folder,
                                          std::uint32_t rights);

// How opening a folder inside a held one went.
enum class SubFolderOutcome {
    Opened,
    Missing,     // no entry of that name
    Link,        // a link, junction or mount point (under Wine, a Unix link to a folder)
    NotAFolder,  // a file (under Wine, also a Unix link to a file)
    Elsewhere,   // it changed between the listing and the opening, or could not be opened
};

struct SubFolderOpening {
    SubFolderOutcome outcome = SubFolderOutcome::Missing;
    std::optional<HeldFolder> folder;  // set when opened
};

// Opens the folder `name` (one name) of `parent` with `rights`: found in the parent's
// listing, read again from its start, and opened through the parent's handle as itself.
SubFolderOpening OpenSubFolder(const HeldFolder& parent, const Text& name, std::uint32_t rights);

}  // namespace dustvale
