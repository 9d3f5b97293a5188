#pragma once

// The Trash's items with what each holds and when it was trashed, for the rules that remove
// items by age and by size.

#include <cstdint>
#include <optional>
#include <vector>

#include "clean/TrashFolder.h"
#include "clean/TrashItemRemoval.h"
#include "platform/Kernel.h"

namespace dustvale {

struct DatedTrashItem {
    TrashItem item;
    std::uint64_t bytes = 0;  // as the count has it: a trashed folder's contents included
    // When it was trashed, UTC, in FILETIME's steps; nothing when its .trashinfo gives no
    // readable date.
    std::optional<std::int64_t> deletedAt;
};

// The items of the held Trash (a fresh opening): each .trashinfo whose file or folder is in
// files/, in the order info/ lists them. Its local date is taken to UTC through the system's
// time zone. Lets no messages run: callable from any thread.
std::vector<DatedTrashItem> ListDatedTrashItems(Kernel& kernel, const HeldTrash& trash);

}  // namespace dustvale
