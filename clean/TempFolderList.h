#pragma once

// The folders one clean has chosen to empty, in the order they are emptied. It holds at most
// 51 folders; adding a 52nd throws TempFolderListFull, which ends the profile walk on every
// level at once.

#include <array>
#include <cstdint>
#include <stdexcept>

#include "platform/Types.h"

namespace dustvale {

struct TempFolderListFull : std::length_error {
    TempFolderListFull() : std::length_error("the temporary-folder list is full") {}
};

class TempFolderList {
public:
    static constexpr std::int32_t kSlots = 51;

    // Stores `folder` in the next free slot; throws TempFolderListFull when none is left.
    void Add(const Text& folder) {
        if (count_ >= kSlots) throw TempFolderListFull();
        entries_[static_cast<std::size_t>(count_)] = folder;
        ++count_;
    }

    std::int32_t Count() const { return count_; }
    const Text& operator[](std::int32_t index) const {
        return entries_.at(static_cast<std::size_t>(index));
    }

private:
    std::array<Text, kSlots> entries_;
    std::int32_t count_ = 0;
};

}  // namespace dustvale
