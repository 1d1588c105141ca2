#pragma once

#include "scripts/ScriptEditing.h"

#include <QDialog>

#include <functional>

class QPushButton;
class QTreeWidget;

// The automation list: the start-up entry and the entries that start a
// script at a time of day or on a hotkey, each with its trigger and script
// file. Works on a copy; the caller takes List() on OK. Enter and Escape do
// nothing here, so that a key pressed by mistake neither drops nor commits
// the operator's edits.
class CDlgAutomationEditor : public QDialog
{
    Q_OBJECT

public:
    // The script file chooser: the file, empty when cancelled; preset is
    // the file the chooser starts on (empty for a new entry).
    using ChooseScript = std::function<QString(const QString& preset)>;
    // The local time of a new entry's defaults.
    using Now = std::function<ScheduleTime()>;

    CDlgAutomationEditor(const CFrameScriptScheduleArray& list, ChooseScript chooseScript, QWidget* parent,
                         Now now = &ScheduleTime::Now);

    const CFrameScriptScheduleArray& List() const { return model_.List(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Rebuild();
    void UpdateButtons();
    void AddEntry();
    void EditSelected();
    void DeleteSelected();

    CAutomationEditModel model_;
    ChooseScript chooseScript_;
    Now now_;
    QTreeWidget* list_;
    QPushButton* add_;
    QPushButton* edit_;
    QPushButton* delete_;
};
