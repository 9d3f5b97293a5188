#pragma once

// Moving a folder whose entries lie too deep to be named up into the folder being emptied, so
// that their paths get short enough. Wine names no entry, and deletes none, whose path is
// longer than a Unix path can hold (about 4,000 characters); Windows none beyond 32,767.

#include "clean/EntryCheck.h"
#include "platform/FileSystem.h"

namespace dustvale {

// Moves the held `folder`, which lies two or more levels below the folder its walk started
// from, into that folder under a name of its own ("Dustvale-" and its number, in hex), and
// holds it there: its final path and parent then say so. The folder's path must lead to it
// just before, since Wine moves by path; just after, the new name must lead to it. Should
// another program have put something else in its way, that is put back where it came from
// when it can be told apart from a link. False when the folder stays where it was.
bool MoveFolderUp(FileSystem& files, HeldFolder& folder);

}  // namespace dustvale
