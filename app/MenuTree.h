#pragma once

// The main window's menu tree: named items with captions and visibility. Its top item "menu" is
// never shown itself; its visible sub-items make the tray icon's pop-up menu.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Types.h"
#include "platform/UserInterface.h"

namespace dustvale {

// What choosing an item does. 0 stays free: the pop-up menu answers 0 when nothing was chosen.
enum class MenuCommand : std::uint32_t {
    None = 0,
    SizeLine,  // the information line; choosing it does nothing
    EmptyBin,
    OpenBin,
    RecentFiles,
    TempFiles,
    CCleaner,
    Options,
    About,
    Exit,
};

struct MenuNode {
    std::string name;  // the item's key, e.g. "emptyBin"
    Text caption;      // "-" makes a separator
    bool visible = true;
    MenuCommand command = MenuCommand::None;  // None for sub-menus and separators
    std::vector<MenuNode> children;

    bool IsSeparator() const { return caption == u"-"; }
};

class MenuTree {
public:
    // The tray menu's tree: every item visible except "Recent Files".
    MenuTree();

    // The item of that name anywhere in the tree; the tree's top item for "menu".
    // Throws std::out_of_range for a name the tree does not have.
    MenuNode& Item(std::string_view name);
    const MenuNode& Item(std::string_view name) const;

    // The visible sub-items of "menu", as the pop-up menu shows them.
    std::vector<MenuItem> PopupItems() const;

private:
    MenuNode root_;
};

}  // namespace dustvale
