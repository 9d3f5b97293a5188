#pragma once

// The common-controls library (comctl32): registering its window classes.

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
};

}  // namespace dustvale
