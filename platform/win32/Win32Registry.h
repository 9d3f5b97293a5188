#pragma once

// advapi32: keys of the current user opened for writing, string values set and deleted.

#include "platform/Registry.h"

namespace dustvale::win32 {

class Win32Registry final : public Registry {
public:
    OpenedKey OpenCurrentUserKey(const Text& subKey, std::uint32_t access) override;
};

}  // namespace dustvale::win32
