#pragma once

// comctl32: registering the common controls' window classes, and their version.

#include "platform/CommonControls.h"

namespace dustvale::win32 {

class Win32CommonControls final : public CommonControls {
public:
    std::optional<bool> InitCommonControlsEx(std::uint32_t classes) override;
    void InitCommonControls() override;
    std::uint32_t LoadedVersion() override;
};

}  // namespace dustvale::win32
