#pragma once

// The registry (advapi32), as far as the program writes it: keys of the current user that
// already exist are opened, never created, and string values are set or deleted in them.

#include <cstdint>
#include <memory>

#include "platform/Types.h"

namespace dustvale {

namespace reg {
constexpr std::uint32_t kKeyWrite = 0x20006;  // KEY_WRITE
constexpr std::int32_t kSuccess = 0;          // ERROR_SUCCESS
constexpr std::int32_t kFileNotFound = 2;     // ERROR_FILE_NOT_FOUND
}  // namespace reg

// An open key; destroying it closes the handle (RegCloseKey).
class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    // RegSetValueExW with REG_SZ: the text and its terminating NUL. Returns the error code.
    virtual std::int32_t SetStringValue(const Text& name, const Text& data) = 0;
    // RegDeleteValueW. Returns the error code (kFileNotFound when there is no such value).
    virtual std::int32_t DeleteValue(const Text& name) = 0;
};

struct OpenedKey {
    std::int32_t status = reg::kFileNotFound;  // the error code of the open
    std::unique_ptr<RegistryKey> key;          // set exactly when status is kSuccess
};

class Registry {
public:
    virtual ~Registry() = default;
    // RegOpenKeyExW(HKEY_CURRENT_USER, subKey, 0, access): a missing key is not created.
    virtual OpenedKey OpenCurrentUserKey(const Text& subKey, std::uint32_t access) = 0;
};

}  // namespace dustvale
