// The command, menu and toolbar tables the editor builds its menus from.
#include "app/CommandTable.h"
#include "app/MenuResource.h"
#include "app/StringTable.h"

#include <QKeySequence>
#include <QMap>
#include <QSet>

#include <gtest/gtest.h>

namespace {

bool IsBox(int id)
{
    return id == kZoomBox || id == kFontNameBox || id == kFontSizeBox;
}

// Every command id a menu or a toolbar names.
QSet<int> NamedIds()
{
    QSet<int> ids;
    for (const int menu : {kMainMenu, kEditingMenu, kObjectMenu, kCanvasMenu, kPageFileMenu, kScriptFileMenu}) {
        ForEachMenuItem(menu, [&](const MenuNode& node, std::uint32_t) {
            if (node.kind == MenuNode::kItem)
                ids.insert(node.commandId);
        });
    }
    for (const int toolBar : {kMainToolBar, kFormatToolBar}) {
        for (const int entry : ToolBarEntries(toolBar)) {
            if (entry != kSeparator)
                ids.insert(entry);
        }
    }
    return ids;
}

TEST(CommandTable, EveryNamedCommandHasARowAPromptAndATooltip)
{
    for (const int id : NamedIds()) {
        SCOPED_TRACE(id);
        if (!IsBox(id)) {
            const CommandInfo* command = FindCommand(id);
            ASSERT_NE(command, nullptr);
            EXPECT_FALSE(QString::fromUtf8(command->text).isEmpty());
        }
        // Language items show their language's name; English has its own.
        EXPECT_FALSE(CommandPrompt(id).isEmpty());
        EXPECT_FALSE(CommandToolTip(id).isEmpty());
        EXPECT_LE(CommandToolTip(id).size(), 159);
    }
}

TEST(CommandTable, KeysAreValidAndNoKeyRunsTwoCommands)
{
    QMap<QString, int> owners;
    for (const CommandInfo& command : Commands()) {
        const QString text = QString::fromLatin1(command.shortcut);
        if (text.isEmpty())
            continue;
        SCOPED_TRACE(command.id);
        const QKeySequence key(text);
        EXPECT_FALSE(key.isEmpty()) << text.toStdString();
        EXPECT_EQ(key.toString(QKeySequence::PortableText), text);
        const QString slot = QString::number(command.scope) + key.toString();
        EXPECT_FALSE(owners.contains(slot)) << "key " << text.toStdString() << " also runs " << owners.value(slot);
        owners.insert(slot, command.id);
    }
    // The object hotkeys: Ctrl+0..9 and Alt+0..9 are 32950..32969.
    EXPECT_EQ(QString::fromLatin1(FindCommand(32950)->shortcut), QStringLiteral("Ctrl+0"));
    EXPECT_EQ(QString::fromLatin1(FindCommand(32969)->shortcut), QStringLiteral("Alt+9"));
    EXPECT_EQ(QString::fromLatin1(FindCommand(32818)->shortcut), QStringLiteral("F10"));
    EXPECT_EQ(QString::fromLatin1(FindCommand(32883)->shortcut), QStringLiteral("F3"));
}

TEST(MenuResource, MainMenuHasEightMenusAndTheLanguageMenuFourthInTheLast)
{
    const std::vector<MenuNode>& bar = MenuResource(kMainMenu);
    ASSERT_EQ(bar.size(), 8u);
    for (const MenuNode& menu : bar)
        EXPECT_EQ(menu.kind, MenuNode::kPopup);
    const MenuNode& settings = bar.back();
    ASSERT_GE(settings.children.size(), 4u);
    const MenuNode& language = settings.children[3];
    EXPECT_EQ(language.kind, MenuNode::kPopup);
    ASSERT_EQ(language.children.size(), 1u);
    EXPECT_EQ(language.children[0].commandId, 32900);
    EXPECT_EQ(language.children[0].text, QStringLiteral("English"));
}

TEST(MenuResource, ItemKeysCountThePopupsDepthFirst)
{
    QMap<int, std::uint32_t> keyOf;
    std::vector<std::uint32_t> popupKeys;
    ForEachMenuItem(kMainMenu, [&](const MenuNode& node, std::uint32_t key) {
        if (node.kind == MenuNode::kPopup)
            popupKeys.push_back(key);
        else
            keyOf.insert(node.commandId, key);
    });
    // 0x4000 | (128 * 16) | counter in the upper half.
    ASSERT_FALSE(popupKeys.empty());
    EXPECT_EQ(popupKeys.front(), 0x48010000u);                  // File, the first popup
    EXPECT_EQ(keyOf.value(57600), 0x4801E100u);                 // File / New
    EXPECT_EQ(keyOf.value(32900), 0x480C8084u);                 // Language (the twelfth popup) / English
    EXPECT_EQ(MenuItemKey(kObjectMenu, 0, 32821), 0x4CB08035u);  // 203 * 16 = 0xCB0
    EXPECT_EQ(MenuItemKey(kMainMenu, 17, 1), 0x48010001u);       // the counter keeps four bits
}

TEST(MenuResource, ContextMenusGiveTheirOwnTexts)
{
    struct Case
    {
        int menu;
        int id;
        const char* text;
    };
    const Case cases[] = {
        {kObjectMenu, 32821, "P&lay"},
        {kCanvasMenu, 32815, "Add &simple object"},
        {kPageFileMenu, 32842, "&Load"},
        {kScriptFileMenu, 32855, "Load and &play"},
        {kMainMenu, 32821, "P&lay object"},
    };
    for (const Case& c : cases) {
        QString found;
        ForEachMenuItem(c.menu, [&](const MenuNode& node, std::uint32_t) {
            if (node.kind == MenuNode::kItem && node.commandId == c.id)
                found = node.text;
        });
        EXPECT_EQ(found, QString::fromUtf8(c.text)) << c.menu << " " << c.id;
    }
    EXPECT_TRUE(MenuResource(999).empty());
}

TEST(ToolBars, MainToolBarHasItsZoomBoxAtFourAndTheFormatBarItsBoxes)
{
    const auto main = ToolBarEntries(kMainToolBar);
    ASSERT_GT(main.size(), 4u);
    EXPECT_EQ(main[4], kZoomBox);
    int buttons = 0;
    for (const int entry : main)
        buttons += entry != kSeparator && !IsBox(entry) ? 1 : 0;
    EXPECT_EQ(buttons, 31);
    const auto format = ToolBarEntries(kFormatToolBar);
    ASSERT_GT(format.size(), 2u);
    EXPECT_EQ(format[0], kFontNameBox);
    EXPECT_EQ(format[2], kFontSizeBox);
    EXPECT_TRUE(ToolBarEntries(7).empty());
}

}  // namespace
