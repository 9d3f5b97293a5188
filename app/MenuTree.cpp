#include "app/MenuTree.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace dustvale {

namespace {

MenuNode Leaf(std::string name, Text caption, MenuCommand command, bool visible = true) {
    return MenuNode{std::move(name), std::move(caption), visible, command, {}};
}

MenuNode Branch(std::string name, Text caption, std::vector<MenuNode> children) {
    return MenuNode{std::move(name), std::move(caption), true, MenuCommand::None,
                    std::move(children)};
}

MenuNode Separator(std::string name) { return Leaf(std::move(name), u"-", MenuCommand::None); }

const MenuNode* Find(const MenuNode& node, std::string_view name) {
    if (node.name == name) return &node;
    for (const MenuNode& child : node.children) {
        if (const MenuNode* found = Find(child, name)) return found;
    }
    return nullptr;
}

std::vector<MenuItem> VisibleItems(const std::vector<MenuNode>& nodes) {
    std::vector<MenuItem> items;
    for (const MenuNode& node : nodes) {
        if (!node.visible) continue;
        MenuItem item;
        if (node.IsSeparator()) {
            item.separator = true;
        } else {
            item.caption = node.caption;
            item.command = static_cast<std::uint32_t>(node.command);
            item.children = VisibleItems(node.children);
        }
        items.push_back(std::move(item));
    }
    return items;
}

}  // namespace

MenuTree::MenuTree()
    : root_(Branch("menu", u"menu",
                   {
                       Leaf("sizeLine", u"0", MenuCommand::SizeLine),
                       Branch("recycleBin", u"Recycle Bin",
                              {
                                  Leaf("emptyBin", u"Empty", MenuCommand::EmptyBin),
                                  Leaf("openBin", u"Open", MenuCommand::OpenBin),
                              }),
                       Branch("clean", u"Clean",
                              {
                                  // Nothing in the program shows this item.
                                  Leaf("recentFiles", u"Recent Files", MenuCommand::RecentFiles,
                                       false),
                                  Leaf("tempFiles", u"Temp Files", MenuCommand::TempFiles),
                                  Leaf("ccleaner", u"CCleaner", MenuCommand::CCleaner),
                              }),
                       Separator("separator1"),
                       Leaf("options", u"Options", MenuCommand::Options),
                       Leaf("about", u"About", MenuCommand::About),
                       Separator("separator2"),
                       Leaf("exit", u"Exit", MenuCommand::Exit),
                   })) {}

const MenuNode& MenuTree::Item(std::string_view name) const {
    if (const MenuNode* found = Find(root_, name)) return *found;
    throw std::out_of_range("no menu item " + std::string(name));
}

MenuNode& MenuTree::Item(std::string_view name) {
    return const_cast<MenuNode&>(std::as_const(*this).Item(name));
}

std::vector<MenuItem> MenuTree::PopupItems() const { return VisibleItems(root_.children); }

}  // namespace dustvale
