#include "editor/ActionRegistry.h"

#include "app/CommandTable.h"
#include "editor/CommandIcons.h"

#include <QAction>
#include <QKeySequence>
#include <QWidget>

namespace {

Qt::ShortcutContext ContextOf(int scope)
{
    return scope == kWindowKey ? Qt::WindowShortcut : Qt::WidgetWithChildrenShortcut;
}

// "Tooltip (key)" as desktop programs show it.
QString ToolTipWithKey(const CommandInfo& command)
{
    QString tip = CommandToolTip(command.id);
    if (tip.isEmpty())
        tip = QString::fromUtf8(command.text).remove(QLatin1Char('&'));
    const QKeySequence key(QString::fromLatin1(command.shortcut));
    if (!key.isEmpty())
        tip += QStringLiteral(" (%1)").arg(key.toString(QKeySequence::NativeText));
    return tip;
}

}  // namespace

CActionRegistry::CActionRegistry(Dispatch dispatch, Query query, QObject* parent)
    : QObject(parent), dispatch_(std::move(dispatch)), query_(std::move(query))
{
    for (const CommandInfo& command : Commands()) {
        auto* action = new QAction(this);
        action->setObjectName(QStringLiteral("command%1").arg(command.id));
        action->setData(command.id);
        action->setIcon(ProgramIcon(QString::fromLatin1(command.icon)));
        action->setShortcut(QKeySequence(QString::fromLatin1(command.shortcut)));
        action->setShortcutContext(ContextOf(command.scope));
        action->setCheckable(command.checkable);
        connect(action, &QAction::triggered, this, [this, id = command.id] { Trigger(id); });
        actions_.emplace(command.id, action);
    }
    Retranslate();
}

QAction* CActionRegistry::Action(int id) const
{
    const auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

void CActionRegistry::AttachKeys(QWidget* widget, int scope) const
{
    for (const CommandInfo& command : Commands()) {
        if (command.scope == scope && command.shortcut[0] != '\0')
            widget->addAction(Action(command.id));
    }
}

void CActionRegistry::Refresh()
{
    for (const auto& [id, action] : actions_) {
        const State state = query_(id);
        action->setEnabled(state.enabled);
        if (action->isCheckable())
            action->setChecked(state.checked);
    }
}

void CActionRegistry::Trigger(int id) const
{
    // A checkable action flips itself when triggered; the query says what
    // is true once the command has run.
    dispatch_(id);
}

void CActionRegistry::Retranslate()
{
    for (const CommandInfo& command : Commands()) {
        QAction* action = Action(command.id);
        action->setText(QString::fromUtf8(command.text));
        action->setStatusTip(CommandPrompt(command.id));
        action->setToolTip(ToolTipWithKey(command));
    }
}
