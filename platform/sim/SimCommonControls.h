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

    // --- for tests -------------------------------------------------------------------------
    // What InitCommonControlsEx answers: true by default; false; or nullopt as a library
    // without the function.
    void SetExResult(std::optional<bool> result) { exResult_ = result; }
    // The dwICC of every InitCommonControlsEx call, in order (calls to a missing function
    // are not listed).
    const std::vector<std::uint32_t>& ExCalls() const { return exCalls_; }
    int PlainCalls() const { return plainCalls_; }

private:
    std::optional<bool> exResult_ = true;
    std::vector<std::uint32_t> exCalls_;
    int plainCalls_ = 0;
};

}  // namespace dustvale::sim
