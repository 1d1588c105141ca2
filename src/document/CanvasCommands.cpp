#include "document/CanvasCommands.h"

namespace {

constexpr int kZoomLevelMax = 5;

}  // namespace

HostCommandState CanvasCommandState(int id, const CanvasState& s)
{
    switch (id) {
    case 32841:  // preferences
    case 32815:  // add a simple object
    case 32816:  // add a picture, animation or video
    case 32804:  // the zoom box
        return {true, false};
    case 32817:  // clone
    case 32807:  // delete
    case 32835:  // properties
        return {s.hasSelection, false};
    case 32802:  // move up
        return {s.hasSelection && !s.selectionIsTop, false};
    case 32803:  // move down
        return {s.hasSelection && !s.selectionIsBottom, false};
    case 32834:  // edit text
        return {s.hasSelection, s.editing};
    case 32806:  // lock
        return {s.hasSelection, s.hasSelection && s.selectionLocked};
    case 32805:  // snap to grid
        return {true, s.snapToGrid};
    case 32814:  // zoom in
        return {s.zoomLevel > 0, false};
    case 32813:  // zoom out
        return {s.zoomLevel < kZoomLevelMax, false};
    case 57635:  // cut
    case 57634:  // copy
        return {s.editing ? s.editorHasSelection : s.hasSelection, false};
    case 57637:  // paste
        return {s.editing ? s.editorCanPaste : s.clipboardFull, false};
    case 57643:  // undo
        return {s.editing ? s.editorCanUndo : s.undoSteps, false};
    case 57644:  // redo
        return {s.editing ? s.editorCanRedo : s.redoSteps, false};
    default:
        return {false, false};
    }
}
