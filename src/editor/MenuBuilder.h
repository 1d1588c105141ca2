#pragma once

#include "app/MenuResource.h"

#include <QStringList>

#include <vector>

class CActionRegistry;
class QMenu;
class QMenuBar;
class QWidget;

// Builds the menu bar and the context menus from the menu resources, with
// the registry's actions. A menu item whose text differs from its command's
// gets an action of its own that runs the same command.
class CMenuBuilder
{
public:
    explicit CMenuBuilder(CActionRegistry& registry) : registry_(registry) {}

    // Replaces the bar's menus with the main menu; languages are the packs'
    // names, added to the language menu after English.
    void FillMenuBar(QMenuBar* bar, const QStringList& languages) const;
    // A new context menu (202..206) owned by parent.
    QMenu* ContextMenu(int menuId, QWidget* parent) const;

private:
    // Fills a menu of menu resource menuId; popupCounter makes the items' keys.
    void Fill(QMenu* menu, const std::vector<MenuNode>& nodes, int menuId, int& popupCounter) const;

    CActionRegistry& registry_;
};
