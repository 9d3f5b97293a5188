#pragma once

// Simulated registry of the current user: keys by path (case-insensitive), string values by
// name (case-insensitive). HKEY_CURRENT_USER's usual Run key exists from the start.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/Registry.h"

namespace dustvale::sim {

class SimRegistry final : public Registry {
public:
    SimRegistry();
    ~SimRegistry() override;
    SimRegistry(const SimRegistry&) = delete;
    SimRegistry& operator=(const SimRegistry&) = delete;

    // Registry
    OpenedKey OpenCurrentUserKey(const Text& subKey, std::uint32_t access) override;

    // --- for tests -------------------------------------------------------------------------
    void AddKey(const Text& subKey);
    void RemoveKey(const Text& subKey);  // with its values
    bool KeyExists(const Text& subKey) const;
    void SetValue(const Text& subKey, const Text& name, const Text& data);
    std::optional<Text> Value(const Text& subKey, const Text& name) const;
    // The names of a key's values, in the case they were written with.
    std::vector<Text> ValueNames(const Text& subKey) const;
    // Makes the next n opens fail with ERROR_ACCESS_DENIED (5).
    void DenyNextOpen(int n = 1);

    struct OpenCall {
        Text subKey;
        std::uint32_t access;
        std::int32_t status;
    };
    const std::vector<OpenCall>& OpenCalls() const;
    std::uint32_t OpenKeys() const;  // handles not yet closed (leak check)

    struct State;  // shared with the open keys

private:
    std::shared_ptr<State> state_;
};

}  // namespace dustvale::sim
