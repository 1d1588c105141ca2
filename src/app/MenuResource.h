#pragma once

#include <QString>

#include <cstdint>
#include <vector>

// A menu of the resources as a tree: the menu bar (128) and the context
// menus (202..206). Item texts are the English ones; the translation layer
// replaces them by the key of each item.
struct MenuNode
{
    enum Kind : int
    {
        kItem = 0,
        kSeparator = 1,
        kPopup = 2,
    };
    Kind kind = kItem;
    int commandId = 0;  // items only
    QString text;       // popups and items (an item's command text unless the menu gives its own)
    std::vector<MenuNode> children;  // popups only
};

inline constexpr int kMainMenu = 128;
inline constexpr int kEditingMenu = 202;
inline constexpr int kObjectMenu = 203;
inline constexpr int kCanvasMenu = 204;
inline constexpr int kPageFileMenu = 205;
inline constexpr int kScriptFileMenu = 206;

// The items of a menu (its top level); empty for an unknown menu.
const std::vector<MenuNode>& MenuResource(int menuId);

// The language packs' key of a menu item: the menu id and the popup counter
// in the upper half, the command id (0 for a popup) in the lower. The
// counter starts at 0 for each menu and grows by one at every popup, before
// the popup's own key is made, depth first in menu order.
std::uint32_t MenuItemKey(int menuId, int popupCounter, int commandId);

// Calls visit(node, key) for every item and popup of a menu in that order.
template <typename Visit>
void ForEachMenuItem(int menuId, Visit&& visit)
{
    int counter = 0;
    auto walk = [&](auto&& self, const std::vector<MenuNode>& nodes) -> void {
        for (const MenuNode& node : nodes) {
            if (node.kind == MenuNode::kSeparator)
                continue;
            if (node.kind == MenuNode::kPopup)
                ++counter;
            visit(node, MenuItemKey(menuId, counter, node.kind == MenuNode::kPopup ? 0 : node.commandId));
            if (node.kind == MenuNode::kPopup)
                self(self, node.children);
        }
    };
    walk(walk, MenuResource(menuId));
}
