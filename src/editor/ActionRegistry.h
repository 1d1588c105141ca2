#pragma once

#include "document/DocumentHost.h"

#include <QObject>

#include <functional>
#include <map>

class QAction;
class QWidget;

// One QAction for every command of the command table: its text, key, icon,
// status prompt and tooltip. Triggering an action calls the dispatcher
// with its id; the enabled and checked states come from a query, refreshed
// when a menu is about to show and on the interface tick.
class CActionRegistry : public QObject
{
    Q_OBJECT

public:
    using State = HostCommandState;
    using Dispatch = std::function<void(int id)>;
    using Query = std::function<State(int id)>;

    CActionRegistry(Dispatch dispatch, Query query, QObject* parent = nullptr);

    // The action of a command id; null for an id the table does not have.
    QAction* Action(int id) const;
    const std::map<int, QAction*>& Actions() const { return actions_; }

    // Adds the actions whose keys work in this scope to the widget, so that
    // their keys work there (the window, the canvas, the pages pane).
    void AttachKeys(QWidget* widget, int scope) const;

    // Asks the query for every action's state and applies it.
    void Refresh();
    // Runs a command as its action would (keys, menus, buttons).
    void Trigger(int id) const;

    // Texts again, after a language change.
    void Retranslate();

private:
    Dispatch dispatch_;
    Query query_;
    std::map<int, QAction*> actions_;
};
