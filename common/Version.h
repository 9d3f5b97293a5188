#pragma once

// The program's version numbers (major, minor, revision), as the default message-box
// caption shows them. The executable's version record in res/Dustvale.rc carries the same
// release.

#include <cstdint>

namespace dustvale::version {

constexpr std::int32_t kMajor = 1;
constexpr std::int32_t kMinor = 0;
constexpr std::int32_t kRevision = 0;

}  // namespace dustvale::version
