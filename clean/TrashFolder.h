#pragma once

// The freedesktop Trash that Wine shows as its Recycle Bin: where it lies and how it is held.
// Wine keeps it at $XDG_DATA_HOME/Trash, or at ~/.local/share/Trash when that variable is not
// a full Unix path. Its files/ folder holds the trashed files and folders themselves, its
// info/ folder one NAME.trashinfo file for each of them, and the Trash may hold a cache of
// the trashed folders' sizes, directorysizes.
//
// The Trash is the user's own and lies in the user's home. One that is a link, or lies
// elsewhere, is left alone: what lies behind it is not the program's to count or delete.

#include <cstdint>
#include <optional>

#include "clean/EntryCheck.h"
#include "platform/FileSystem.h"
#include "platform/Kernel.h"

namespace dustvale {

// The Trash's place as Windows programs see it under Wine (no final "\").
struct TrashPlace {
    Text home;   // the user's home folder
    Text trash;  // its Trash folder, below the home folder
};

// Where the Trash lies, or why it is left alone.
struct TrashLocation {
    std::optional<TrashPlace> place;
    Text refusal;  // set when `place` is not
};

// Finds the Trash as Wine does, from the environment Wine gives its programs: WINEHOMEDIR
// (the Unix home as an NT path) and XDG_DATA_HOME (a Unix path, mapped through Wine's drives).
TrashLocation LocateTrash(Kernel& kernel);

// The Trash held open: each folder opened as itself through the one above it, from the home
// folder down.
struct HeldTrash {
    HeldFolder trash;
    HeldFolder files;
    HeldFolder info;
};

struct TrashOpening {
    std::optional<HeldTrash> held;
    // No Trash folder (or no files/ or info/ in it) yet: an empty bin, nothing to do.
    bool missing = false;
    Text refusal;  // why an existing Trash is left alone
};

// Opens the Trash at `place` for listing. It is refused when a folder from the home folder
// down to it, or its files/ or info/ folder, is a link or not a folder, or changes while it is
// opened.
TrashOpening OpenTrash(FileSystem& files, const TrashPlace& place);

}  // namespace dustvale
