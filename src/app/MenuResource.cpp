#include "app/MenuResource.h"

#include "app/CommandTable.h"

#include <map>

namespace {

enum EntryKind : int
{
    kItem,
    kSeparator,
    kPopup,
    kEnd,
};

struct MenuEntry
{
    int menu;
    EntryKind kind;
    int commandId;
    const char* text;  // null: the command's text
};

constexpr MenuEntry kMenuEntries[] = {
#include "../../resources/Menus.inc"
};

std::map<int, std::vector<MenuNode>> BuildMenus()
{
    std::map<int, std::vector<MenuNode>> menus;
    std::map<int, std::vector<std::vector<MenuNode>*>> open;  // per menu: the popups being filled
    for (const MenuEntry& entry : kMenuEntries) {
        auto& stack = open[entry.menu];
        if (stack.empty())
            stack.push_back(&menus[entry.menu]);
        std::vector<MenuNode>& into = *stack.back();
        switch (entry.kind) {
        case kItem: {
            const CommandInfo* command = FindCommand(entry.commandId);
            MenuNode node;
            node.commandId = entry.commandId;
            node.text = QString::fromUtf8(entry.text != nullptr ? entry.text : command != nullptr ? command->text : "");
            into.push_back(std::move(node));
            break;
        }
        case kSeparator: {
            MenuNode node;
            node.kind = MenuNode::kSeparator;
            into.push_back(std::move(node));
            break;
        }
        case kPopup: {
            MenuNode node;
            node.kind = MenuNode::kPopup;
            node.text = QString::fromUtf8(entry.text);
            into.push_back(std::move(node));
            stack.push_back(&into.back().children);
            break;
        }
        case kEnd:
            if (stack.size() > 1)
                stack.pop_back();
            break;
        }
    }
    return menus;
}

}  // namespace

const std::vector<MenuNode>& MenuResource(int menuId)
{
    static const std::map<int, std::vector<MenuNode>> menus = BuildMenus();
    static const std::vector<MenuNode> none;
    const auto it = menus.find(menuId);
    return it == menus.end() ? none : it->second;
}

std::uint32_t MenuItemKey(int menuId, int popupCounter, int commandId)
{
    const std::uint32_t upper = 0x4000u | ((static_cast<std::uint32_t>(menuId) * 16u) & 0x3FFFu)
                                | (static_cast<std::uint32_t>(popupCounter) & 0xFu);
    return (upper << 16) | (static_cast<std::uint32_t>(commandId) & 0xFFFFu);
}
