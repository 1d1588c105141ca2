#pragma once

#include "document/DocumentHost.h"

#include <QString>

// The texts the main window shows for the document's state, decided here so
// that the window only shows them.

// "Tavrel" (or "Tavrel Editor" in an edit-only instance), " - " and the
// document's title, with Qt's place for the modified mark after the title.
QString MainWindowTitle(bool editMode, const QString& documentTitle);

// The status bar's script pane.
enum ScriptStateKind : int
{
    kScriptNone = 0,
    kScriptLoaded = 1,
    kScriptPlaying = 2,
};
ScriptStateKind ScriptStateKindOf(const ScriptState& state);
// Empty without a script; "script [name] loaded"; "script [name] playing,
// step: s of n".
QString ScriptStateText(const ScriptState& state);

// The tooltip of the program state's icon ("Idle", "HDMI output is on", ...).
QString ProgramStateToolTip(int state);
