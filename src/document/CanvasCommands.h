#pragma once

#include "document/DocumentHost.h"

// What the canvas's commands may do now, from the canvas's state: the
// enabled and checked states its menus, buttons and keys show.
struct CanvasState
{
    bool hasSelection = false;
    bool selectionLocked = false;
    bool selectionIsTop = false;
    bool selectionIsBottom = false;
    bool snapToGrid = false;
    int zoomLevel = 0;  // 0 (100 %) .. 5 (25 %)
    bool clipboardFull = false;
    bool undoSteps = false;
    bool redoSteps = false;
    // The in-place text editor, when open.
    bool editing = false;
    bool editorHasSelection = false;
    bool editorCanPaste = false;
    bool editorCanUndo = false;
    bool editorCanRedo = false;
};

// The state of a command the document hands to the canvas; disabled for
// the ones it does not run. The text formats are the editor's
// (CTextFormatCommands).
HostCommandState CanvasCommandState(int id, const CanvasState& state);
