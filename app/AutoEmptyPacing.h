#pragma once

// How often auto-empty may try again. An automatic emptying after which the bin holds as many
// items as before (items the shell cannot remove, a folder that is not writable) is not tried
// again at the next tick: each try may be a full emptying attempt over thousands of items. The
// next try waits a minute, then twice as long after each further one that removes nothing, at
// most an hour, and never less than nine times what the last try took, so that trying takes
// at most a tenth of one core.

#include <cstdint>

namespace dustvale {

class AutoEmptyPacing {
public:
    // Whether an automatic emptying may start now (tick count in milliseconds).
    bool MayEmpty(std::uint64_t now) const { return !awaitingCount_ && now >= notBefore_; }

    // An automatic emptying starts, asked for by a count of `items`.
    void Emptying(std::uint64_t items, std::uint64_t now);

    // The bin's count, from a query that began after every emptying asked for so far. The
    // first one after an automatic emptying tells whether it removed anything; any count
    // below the one the last try was based on starts afresh.
    void Counted(std::uint64_t items, std::uint64_t now);

    // Starts afresh: the threshold changed, or the user emptied the bin from the menu.
    void Reset();

    std::uint64_t Delay() const { return delay_; }

private:
    std::uint64_t triedAtCount_ = 0;
    std::uint64_t triedAt_ = 0;
    bool tried_ = false;
    bool awaitingCount_ = false;
    std::uint64_t delay_ = 0;
    std::uint64_t notBefore_ = 0;
};

}  // namespace dustvale
