#pragma once

// Forced deletion of files and folders over the file system's primitives: read-only, hidden
// and system items go like any other. A link (any reparse point) is removed as a link: nothing
// behind it is listed, changed or deleted. An entry inside a folder that leads elsewhere without
// showing as a link (as Wine shows Unix links) is left alone.

#include "platform/FileSystem.h"

namespace dustvale {

// Deletes the file at `path`, clearing its attributes first. True when it is gone.
bool ForceDeleteFile(FileSystem& files, const Text& path);

// Deletes the folder at `path` with everything still in it. Goes on past items that cannot
// be deleted; the folder itself then stays. True when the folder is gone.
bool ForceDeleteFolder(FileSystem& files, const Text& path);

// Removes the link at `path` itself: RemoveDirectory for a folder link, DeleteFile for a
// file link. Its target is never touched.
bool RemoveLink(FileSystem& files, const Text& path, std::uint32_t attributes);

}  // namespace dustvale
