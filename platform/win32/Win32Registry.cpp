#include "platform/win32/Win32Registry.h"

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Convert.h"

namespace dustvale::win32 {

namespace {

class Win32RegistryKey final : public RegistryKey {
public:
    explicit Win32RegistryKey(HKEY key) : key_(key) {}

    std::int32_t SetStringValue(const Text& name, const Text& data) override {
        const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(char16_t));
        return static_cast<std::int32_t>(
            ::RegSetValueExW(key_.get(), Wide(name), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(data.c_str()), bytes));
    }

    std::int32_t DeleteValue(const Text& name) override {
        return static_cast<std::int32_t>(::RegDeleteValueW(key_.get(), Wide(name)));
    }

private:
    unique_hkey key_;
};

}  // namespace

OpenedKey Win32Registry::OpenCurrentUserKey(const Text& subKey, std::uint32_t access) {
    HKEY key = nullptr;
    OpenedKey result;
    result.status = static_cast<std::int32_t>(
        ::RegOpenKeyExW(HKEY_CURRENT_USER, Wide(subKey), 0, access, &key));
    if (result.status == ERROR_SUCCESS) result.key = std::make_unique<Win32RegistryKey>(key);
    return result;
}

}  // namespace dustvale::win32
