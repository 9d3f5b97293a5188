#pragma once

// The common-controls library (comctl32): registering its window classes, and which version
// of it the process runs with.

#include <cstdint>
#include <optional>

namespace dustvale {

namespace icc {
constexpr std::uint32_t kAllClasses = 0xFFFF;     // ICC_LISTVIEW_CLASSES (0x1) up to ICC_LINK_CLASS (0x8000)
constexpr std::uint32_t kUserExClasses = 0x200;   // ICC_USEREX_CLASSES: the extended combo box
}  // namespace icc

class CommonControls {
public:
    virtual ~CommonControls() = default;
    // InitCommonControlsEx with dwSize 8 and `classes` as dwICC: its BOOL result, or nullopt
    // when the library offers no such function.
    virtual std::optional<bool> InitCommonControlsEx(std::uint32_t classes) = 0;
    // InitCommonControls.
    virtual void InitCommonControls() = 0;
    // The major version of the common controls the process runs with: 6, the visual-styles
    // controls, where a manifest of the executable asked for them, else 5 or lower; 0 when the
    // system cannot tell.
    virtual std::uint32_t LoadedVersion() = 0;
};

}  // namespace dustvale
