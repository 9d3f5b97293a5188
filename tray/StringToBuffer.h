#pragma once

// Text into one of the icon record's fixed UTF-16 buffers.

#include <algorithm>
#include <cstddef>

#include "platform/Types.h"

namespace dustvale {

// Copies `text` into `buffer`: at most N - 1 code units (127 for the tooltip, 255 for the
// balloon text, 63 for the balloon title), the rest of the buffer filled with NULs, so the
// buffer always ends with a NUL. An empty text leaves the buffer as it was: the shell then
// keeps showing the previous tooltip or balloon title.
template <std::size_t N>
void StringToBuffer(const Text& text, char16_t (&buffer)[N]) {
    static_assert(N >= 1);
    if (text.empty()) {
        return;
    }
    const std::size_t copied = std::min(text.size(), N - 1);
    std::copy_n(text.begin(), copied, buffer);
    std::fill(buffer + copied, buffer + N, u'\0');
}

}  // namespace dustvale
