#pragma once

#include "scripts/FrameScriptItem.h"

#include <QStringList>

#include <functional>

class QWidget;

// What a step's edit dialog needs from its surroundings.
struct ScriptStepContext
{
    // An existing page file for a page step (empty: cancelled).
    std::function<QString(const QString& current)> choosePage;
    // The group names the action dialog offers.
    QStringList groups;
};

// Edits one step in the dialog of its type: a page file chooser (load, add),
// "Script action" for the object steps, "Script pause", "Script wait".
// Returns whether the operator confirmed a change; the step is then updated.
// A pause of 0 seconds counts as not confirmed.
bool EditScriptStep(CFrameScriptItem& item, const ScriptStepContext& context, QWidget* parent);
