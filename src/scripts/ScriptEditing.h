#pragma once

#include "scripts/FrameScript.h"
#include "scripts/FrameScriptScheduleArray.h"

#include <QString>

#include <vector>

// The script editor's rules, below its window: the rows it shows, what its
// buttons may do, and the steps it changes in the document's script.

// A new step of a type as the Add menu makes it: a pause of 10 seconds, a
// wait until 12:00:00, nothing for the others.
CFrameScriptItem NewScriptStep(int type);
// The "Action" column of a row: " 3. " and the step's description.
QString ScriptStepText(int index, const CFrameScriptItem& item);
// The "Time" column: the seconds of all pauses above each row, shown only
// where the sum changed ("%d:%02d", from an hour "%d:%02d:%02d").
std::vector<QString> ScriptTimeColumn(const CFrameScript& script);
QString ScriptTimeText(int seconds);

class CScriptEditModel
{
public:
    // Edits the document's script in place; nothing is modified yet.
    explicit CScriptEditModel(CFrameScript& script) : script_(script) {}

    const CFrameScript& Script() const { return script_; }
    int Selected() const { return selected_; }
    void Select(int row) { selected_ = row >= 0 && row < script_.Count() ? row : -1; }
    bool Modified() const { return modified_; }

    // The buttons.
    bool CanEdit() const { return selected_ >= 0; }
    bool CanDelete() const { return selected_ >= 0; }
    bool CanMoveUp() const { return selected_ > 0; }
    bool CanMoveDown() const { return selected_ >= 0 && selected_ < script_.Count() - 1; }
    bool CanSave() const { return script_.Count() > 0; }

    // A confirmed new step: appended and selected.
    void AddStep(const CFrameScriptItem& item);
    // A confirmed edit of the selected step.
    bool EditSelected(const QString& sdata, int idata);
    // The selection past the end moves to the last step (or none).
    void DeleteSelected();
    void MoveSelectedUp();
    void MoveSelectedDown();
    // A change of the Loop box counts as a change only with steps.
    void SetLoop(bool loop);

    // Clear, Load and Save; whoever asks first confirms the warning when
    // Modified() (WarningConfirmed).
    void Clear();
    bool Load(const QString& path);
    bool Save(const QString& path);
    void WarningConfirmed() { modified_ = false; }

private:
    CFrameScript& script_;
    int selected_ = -1;
    bool modified_ = false;
};

// The automation dialog's rows: entry 0 "on startup", the others their
// triggers ("[08:00:00][1-3-5--]", a date for a once-only one, ", [Ctrl+1]"
// for a hotkey) and the icon that goes with them.
enum class TriggerIcon
{
    Startup,  // the start-up entry with a script
    Time,
    Hotkey,
    None,
};
QString AutomationTriggerText(const CFrameScriptSchedule& entry, int index, TriggerIcon* icon = nullptr);

// The automation list being edited: a copy of the document's, put into
// effect only by OK.
class CAutomationEditModel
{
public:
    explicit CAutomationEditModel(const CFrameScriptScheduleArray& list) : list_(list) {}

    const CFrameScriptScheduleArray& List() const { return list_; }
    int Selected() const { return selected_; }
    void Select(int row) { selected_ = row >= 0 && row < list_.Count() ? row : -1; }

    // The buttons: Add while the list has room, Edit and Delete with a row.
    bool CanAdd() const { return list_.Count() < CFrameScriptScheduleArray::kMaxEntries; }
    bool CanEdit() const { return selected_ >= 0; }
    bool CanDelete() const { return selected_ >= 0; }

    // A confirmed new entry: appended and selected; false on a full list.
    bool AddEntry(const CFrameScriptSchedule& entry);
    // A confirmed edit of the selected row. The start-up row takes only the
    // file: its triggers are never examined, and stay as they were stored.
    void EditSelected(const CFrameScriptSchedule& entry);
    // Delete: the start-up row only loses its script; another is removed.
    void DeleteSelected();

private:
    CFrameScriptScheduleArray list_;
    int selected_ = -1;
};
