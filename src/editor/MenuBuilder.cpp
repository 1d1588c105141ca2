#include "editor/MenuBuilder.h"

#include "app/CommandTable.h"
#include "app/MenuResource.h"
#include "app/Translate.h"
#include "editor/ActionRegistry.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace {

constexpr int kLanguageFirst = 32900;
constexpr int kLanguageLast = 32909;

// The same command under the text a context menu gives it: the key is
// shown, but only the registry's action owns it.
QAction* RenamedAction(QMenu* menu, const MenuNode& node, CActionRegistry& registry)
{
    QAction* command = registry.Action(node.commandId);
    auto* action = new QAction(node.text, menu);
    if (command != nullptr) {
        action->setIcon(command->icon());
        action->setStatusTip(command->statusTip());
        action->setCheckable(command->isCheckable());
        if (!command->shortcut().isEmpty())
            action->setText(node.text + QLatin1Char('\t') + command->shortcut().toString(QKeySequence::NativeText));
    }
    QObject::connect(action, &QAction::triggered, menu, [&registry, id = node.commandId] { registry.Trigger(id); });
    // The menu's states follow the command's when the menu opens.
    QObject::connect(menu, &QMenu::aboutToShow, action, [action, command] {
        if (command != nullptr) {
            action->setEnabled(command->isEnabled());
            action->setChecked(command->isChecked());
        }
    });
    return action;
}

}  // namespace

void CMenuBuilder::Fill(QMenu* menu, const std::vector<MenuNode>& nodes, int menuId, int& popupCounter) const
{
    for (const MenuNode& node : nodes) {
        switch (node.kind) {
        case MenuNode::kSeparator:
            menu->addSeparator();
            break;
        case MenuNode::kPopup: {
            ++popupCounter;
            QMenu* popup = menu->addMenu(Translations().Resource(MenuItemKey(menuId, popupCounter, 0)).value_or(node.text));
            Fill(popup, node.children, menuId, popupCounter);
            break;
        }
        case MenuNode::kItem: {
            QAction* command = registry_.Action(node.commandId);
            const CommandInfo* info = FindCommand(node.commandId);
            MenuNode shown = node;
            // A language pack's caption for this item in this menu.
            shown.text = Translations().Resource(MenuItemKey(menuId, popupCounter, node.commandId)).value_or(node.text);
            if (command != nullptr && info != nullptr && shown.text == command->text())
                menu->addAction(command);
            else
                menu->addAction(RenamedAction(menu, shown, registry_));
            break;
        }
        }
    }
    // States are fresh whenever a menu opens.
    QObject::connect(menu, &QMenu::aboutToShow, &registry_, &CActionRegistry::Refresh, Qt::UniqueConnection);
}

void CMenuBuilder::FillMenuBar(QMenuBar* bar, const QStringList& languages) const
{
    // The old menus go with their renamed actions.
    QList<QMenu*> old;
    for (QAction* action : bar->actions()) {
        if (action->menu() != nullptr)
            old.push_back(action->menu());
    }
    bar->clear();
    qDeleteAll(old);
    int popupCounter = 0;
    for (const MenuNode& top : MenuResource(kMainMenu)) {
        if (top.kind != MenuNode::kPopup)
            continue;
        ++popupCounter;
        QMenu* menu = bar->addMenu(Translations().Resource(MenuItemKey(kMainMenu, popupCounter, 0)).value_or(top.text));
        Fill(menu, top.children, kMainMenu, popupCounter);
    }
    // The language packs follow English in the language menu.
    QAction* english = registry_.Action(kLanguageFirst);
    for (QObject* owner : english->associatedObjects()) {
        auto* menu = qobject_cast<QMenu*>(owner);
        QObject* up = menu;
        while (up != nullptr && up != bar)
            up = up->parent();
        if (menu == nullptr || up != bar)
            continue;
        for (int i = 0; i < languages.size() && kLanguageFirst + 1 + i <= kLanguageLast; ++i) {
            if (QAction* language = registry_.Action(kLanguageFirst + 1 + i)) {
                language->setText(languages[i]);
                menu->addAction(language);
            }
        }
    }
}

QMenu* CMenuBuilder::ContextMenu(int menuId, QWidget* parent) const
{
    auto* menu = new QMenu(parent);
    int popupCounter = 0;
    Fill(menu, MenuResource(menuId), menuId, popupCounter);
    return menu;
}
