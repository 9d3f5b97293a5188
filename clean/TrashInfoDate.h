#pragma once

// When an item went into the Trash, as its .trashinfo tells: the key DeletionDate of the group
// [Trash Info], "YYYY-MM-DDThh:mm:ss" in the local time of whoever trashed it, with no zone.
// The file is anyone's to write: a date that is not plainly there, in that form, is no date.

#include <optional>
#include <string_view>

#include "clean/EntryCheck.h"
#include "platform/FileSystem.h"
#include "platform/Kernel.h"

namespace dustvale {

// A .trashinfo larger than this is not read: the real ones hold a path and a date.
constexpr std::uint64_t kTrashInfoMaxBytes = 64 * 1024;

// The date in the text of a .trashinfo; nullopt when the group or the key is missing or
// given twice, or the value is not a real date and time in that form.
std::optional<CalendarTime> DeletionDateIn(std::string_view trashInfo);

// The date of the .trashinfo `listed` of the held info/ folder, read through its own handle:
// nullopt for anything but a file of at most kTrashInfoMaxBytes that agrees with the listing
// (never a link's target: a link's final path names what it leads to).
std::optional<CalendarTime> ReadDeletionDate(const HeldFolder& info, const DirectoryEntry& listed);

}  // namespace dustvale
