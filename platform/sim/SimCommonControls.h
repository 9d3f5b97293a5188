#pragma once

// Simulated common-controls library: records every initialisation call.

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/CommonControls.h"

namespace dustvale::sim {

class SimCommonControls final : public CommonControls {
public:
    // CommonControls
    std::optional<bool> InitCommonControlsEx(std::uint32_t classes) override;
    void InitCommonControls() override;
    std::uint32_t LoadedVersion() override { return loadedVersion_; }

    // --- for tests -------------------------------------------------------------------------
    // What InitCommonControlsEx answers: true by default; false; or nullopt as a library
    // without the function.
    void SetExResult(std::optional<bool> result) { exResult_ = result; }
    // The dwICC of every InitCommonControlsEx call, in order (calls to a missing function
    // are not listed).
    const std::vector<std::uint32_t>& ExCalls() const { return exCalls_; }
    int PlainCalls() const { return plainCalls_; }
    // The version the process runs with: 6 by default, as the executable's own manifest asks
    // for it; 5 as a system that did not read that manifest.
    void SetLoadedVersion(std::uint32_t version) { loadedVersion_ = version; }

private:
    std::optional<bool> exResult_ = true;
    std::vector<std::uint32_t> exCalls_;
    int plainCalls_ = 0;
    std::uint32_t loadedVersion_ = 6;
};

}  // namespace dustvale::sim
