#include "app/AutoEmptyPacing.h"

#include <algorithm>

namespace dustvale {

namespace {

constexpr std::uint64_t kFirstDelayMs = 60'000;
constexpr std::uint64_t kLongestDelayMs = 3'600'000;
// A try that took d is followed by at least 9 d without one.
constexpr std::uint64_t kPauseAfterTry = 9;

}  // namespace

void AutoEmptyPacing::Emptying(std::uint64_t items, std::uint64_t now) {
    tried_ = true;
    triedAtCount_ = items;
    triedAt_ = now;
    awaitingCount_ = true;
}

void AutoEmptyPacing::Counted(std::uint64_t items, std::uint64_t now) {
    if (!tried_) return;
    if (items < triedAtCount_) {
        Reset();
        return;
    }
    if (!awaitingCount_) return;
    awaitingCount_ = false;
    delay_ = delay_ == 0 ? kFirstDelayMs : std::min(2 * delay_, kLongestDelayMs);
    notBefore_ = now + std::max(delay_, kPauseAfterTry * (now - triedAt_));
}

void AutoEmptyPacing::Reset() { *this = AutoEmptyPacing(); }

}  // namespace dustvale
