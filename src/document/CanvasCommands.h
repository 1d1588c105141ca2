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
    bool editorSingleLine = false;  // alignment follows the object's Reverse then
    // The character and paragraph formats at the editor's selection.
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int alignment = 0;          // 0 left, 1 centre, 2 right
};

// The state of a command the document hands to the canvas; disabled for
// the ones the canvas does not have yet (super- and subscript, the colour,
// font and paragraph dialogs, properties, preferences). The text formats work only while text
// is edited.
HostCommandState CanvasCommandState(int id, const CanvasState& state);
