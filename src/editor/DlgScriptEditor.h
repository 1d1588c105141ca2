#pragma once

#include "editor/DlgScriptStep.h"
#include "scripts/ScriptEditing.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QPushButton;
class QTreeWidget;

// The script editor: the document's script edited in place, step by step,
// with its loop flag, and loaded from and saved to script files. Every
// confirmed change is made at once; Close asks first when the script has
// changes not saved to its file. Enter and Escape do nothing here.
class CDlgScriptEditor : public QDialog
{
    Q_OBJECT

public:
    struct Files
    {
        // A script file to load (empty: cancelled).
        std::function<QString(const QString& preset)> chooseScript;
        // Where to save a script (empty: cancelled).
        std::function<QString(const QString& preset)> chooseSaveScript;
    };

    CDlgScriptEditor(CFrameScript& script, const ScriptStepContext& steps, const Files& files, QWidget* parent);

    const CScriptEditModel& Model() const { return model_; }
    QTreeWidget* Steps() const { return list_; }

    void reject() override;  // Close and the close box

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Rebuild();
    void UpdateTitle();
    void UpdateButtons();
    // The warning about unsaved changes; true to go on.
    bool MayDiscard();
    void ShowAddMenu();
    void AddStep(int type);
    void EditSelected();
    void ClearScript();
    void LoadScript();
    void SaveScript();

    CScriptEditModel model_;
    ScriptStepContext steps_;
    Files files_;
    QTreeWidget* list_;
    QCheckBox* loop_;
    QPushButton* clear_;
    QPushButton* load_;
    QPushButton* save_;
    QPushButton* add_;
    QPushButton* edit_;
    QPushButton* delete_;
    QPushButton* up_;
    QPushButton* down_;
};
