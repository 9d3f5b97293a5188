#include "platform/sim/SimRegistry.h"

#include <algorithm>

namespace dustvale::sim {

namespace {

constexpr std::int32_t kAccessDenied = 5;
constexpr const char16_t* kRunKey = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Registry names compare without regard to case (ASCII letters are all the tests use).
Text Fold(const Text& name) {
    Text folded = name;
    for (char16_t& c : folded) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    }
    return folded;
}

}  // namespace

struct SimRegistry::State {
    struct Value {
        Text name;  // as written
        Text data;
    };
    using Values = std::map<Text, Value>;  // by folded name
    std::map<Text, Values> keys;           // by folded path
    int denyOpens = 0;
    std::vector<OpenCall> openCalls;
    std::uint32_t openKeys = 0;
};

namespace {

class SimKey final : public RegistryKey {
public:
    SimKey(std::shared_ptr<SimRegistry::State> state, Text path)
        : state_(std::move(state)), path_(std::move(path)) {
        ++state_->openKeys;
    }
    ~SimKey() override { --state_->openKeys; }

    std::int32_t SetStringValue(const Text& name, const Text& data) override {
        auto key = state_->keys.find(path_);
        if (key == state_->keys.end()) return reg::kFileNotFound;  // deleted meanwhile
        key->second[Fold(name)] = {name, data};
        return reg::kSuccess;
    }

    std::int32_t DeleteValue(const Text& name) override {
        auto key = state_->keys.find(path_);
        if (key == state_->keys.end()) return reg::kFileNotFound;
        return key->second.erase(Fold(name)) ? reg::kSuccess : reg::kFileNotFound;
    }

private:
    std::shared_ptr<SimRegistry::State> state_;
    Text path_;
};

}  // namespace

SimRegistry::SimRegistry() : state_(std::make_shared<State>()) { AddKey(kRunKey); }

SimRegistry::~SimRegistry() = default;

OpenedKey SimRegistry::OpenCurrentUserKey(const Text& subKey, std::uint32_t access) {
    OpenedKey result;
    if (state_->denyOpens > 0) {
        --state_->denyOpens;
        result.status = kAccessDenied;
    } else if (state_->keys.count(Fold(subKey)) == 0) {
        result.status = reg::kFileNotFound;
    } else {
        result.status = reg::kSuccess;
        result.key = std::make_unique<SimKey>(state_, Fold(subKey));
    }
    state_->openCalls.push_back({subKey, access, result.status});
    return result;
}

void SimRegistry::AddKey(const Text& subKey) {
    // Every parent exists too, as in the real hive.
    for (std::size_t i = 0; i <= subKey.size(); ++i) {
        if (i == subKey.size() || subKey[i] == u'\\') state_->keys[Fold(subKey.substr(0, i))];
    }
}

void SimRegistry::RemoveKey(const Text& subKey) {
    const Text folded = Fold(subKey);
    std::erase_if(state_->keys, [&](const auto& entry) {
        return entry.first == folded || entry.first.starts_with(folded + u"\\");
    });
}

bool SimRegistry::KeyExists(const Text& subKey) const {
    return state_->keys.count(Fold(subKey)) != 0;
}

void SimRegistry::SetValue(const Text& subKey, const Text& name, const Text& data) {
    AddKey(subKey);
    state_->keys[Fold(subKey)][Fold(name)] = {name, data};
}

std::optional<Text> SimRegistry::Value(const Text& subKey, const Text& name) const {
    auto key = state_->keys.find(Fold(subKey));
    if (key == state_->keys.end()) return std::nullopt;
    auto value = key->second.find(Fold(name));
    if (value == key->second.end()) return std::nullopt;
    return value->second.data;
}

std::vector<Text> SimRegistry::ValueNames(const Text& subKey) const {
    std::vector<Text> names;
    auto key = state_->keys.find(Fold(subKey));
    if (key == state_->keys.end()) return names;
    for (const auto& [folded, value] : key->second) names.push_back(value.name);
    return names;
}

void SimRegistry::DenyNextOpen(int n) { state_->denyOpens += n; }

const std::vector<SimRegistry::OpenCall>& SimRegistry::OpenCalls() const {
    return state_->openCalls;
}

std::uint32_t SimRegistry::OpenKeys() const { return state_->openKeys; }

}  // namespace dustvale::sim
