#pragma once

#include <cstdint>

namespace dustvale::sim {

// Virtual time in milliseconds since the simulated machine started.
class SimClock {
public:
    std::uint64_t Now() const { return now_; }
    void Set(std::uint64_t now) { now_ = now; }

private:
    std::uint64_t now_ = 0;
};

}  // namespace dustvale::sim
