#pragma once

#include "document/DocumentHost.h"

#include <QStatusBar>

class QLabel;

// The status bar: the message pane ("Ready", or a command's prompt while a
// menu item is highlighted), the script state (icon and text), the selected
// object's geometry and the program state (icon with its tooltip).
class CMainStatusBar : public QStatusBar
{
    Q_OBJECT

public:
    explicit CMainStatusBar(QWidget* parent = nullptr);

    void SetProgramState(int state);
    int ProgramState() const { return programState_; }
    // Rebuilds the script pane only when something in it changed.
    void SetScriptState(const ScriptState& state);
    void SetGeometryText(const QString& text);
    // Texts again, after a language change.
    void Retranslate();

    QLabel* MessagePane() const { return message_; }
    QLabel* ScriptText() const { return scriptText_; }
    QLabel* GeometryPane() const { return geometry_; }
    QLabel* ProgramStateIcon() const { return stateIcon_; }

private:
    void ShowScriptState();

    QLabel* message_;
    QLabel* scriptIcon_;
    QLabel* scriptText_;
    QLabel* geometry_;
    QLabel* stateIcon_;
    int programState_ = -1;
    ScriptState scriptState_;
};
