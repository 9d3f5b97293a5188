#pragma once

// Emptying the whole Trash, item by item, with the program's own race-free deletion: what Wine
// itself does leaves every trashed folder behind, and with a files/ folder that lets nothing
// go it deletes every .trashinfo and no file, which hides the files from every file manager.

#include <cstdint>

#include "clean/TrashFolder.h"
#include "platform/FileSystem.h"

namespace dustvale {

struct TrashEmptying {
    bool refused = false;  // nothing was touched, for `refusal`
    Text refusal;
    std::uint64_t removed = 0;  // items gone with their .trashinfo
    std::uint64_t kept = 0;     // items that stay whole
    std::uint64_t infoKept = 0;  // items whose file went but whose .trashinfo stays
};

// Removes every item of the held Trash (a fresh opening: under Wine a handle lists its folder
// as it first read it), each entry of files/ before its .trashinfo; then the entries of files/
// that no .trashinfo describes, which no file manager shows; then directorysizes, the cache of
// the trashed folders' sizes. A .trashinfo whose file is not (yet) in files/ stays: a program
// trashing a file writes it first. When files/ or info/ is write-protected, nothing is
// touched. Lets no messages run: callable from any thread.
TrashEmptying EmptyTrash(FileSystem& files, const HeldTrash& trash);

}  // namespace dustvale
