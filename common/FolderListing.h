#pragma once

// Listing a folder by pattern and attribute mask: plain, read-only and archive entries always
// come back; hidden, system and directory entries only when the mask names their attribute.

#include <cstdint>
#include <optional>

#include "platform/FileSystem.h"

namespace dustvale {

namespace mask {
// read-only 1 + hidden 2 + system 4 + directory 16: every entry an existing path can name.
constexpr std::uint32_t kAnyEntry = 23;
// kAnyEntry + archive 32: what a folder being emptied is listed with.
constexpr std::uint32_t kEverything = 55;
}  // namespace mask

// True when an entry with `attributes` is among those a listing with `mask` delivers.
bool MatchesMask(std::uint32_t attributes, std::uint32_t mask);

// The entry that `path` names, as the file system stores it (for an 8.3 alias the stored
// long name), when it matches `mask`; nullopt when there is no such entry. A path holding a
// wildcard names no entry.
std::optional<FindData> LookUpEntry(FileSystem& files, const Text& path, std::uint32_t mask);

}  // namespace dustvale
