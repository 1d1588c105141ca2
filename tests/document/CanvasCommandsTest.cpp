// What the canvas's commands may do, from the canvas's state.
#include "document/CanvasCommands.h"

#include <gtest/gtest.h>

namespace {

TEST(CanvasCommands, StatesFollowSelectionEditingZoomAndClipboard)
{
    CanvasState none;
    CanvasState middle;  // a selection between others, zoomed out, clipboard full, steps to undo
    middle.hasSelection = true;
    middle.zoomLevel = 3;
    middle.clipboardFull = true;
    middle.undoSteps = true;
    CanvasState top = middle;  // the top object, locked, at 100 %, snapping
    top.selectionIsTop = true;
    top.selectionLocked = true;
    top.zoomLevel = 0;
    top.snapToGrid = true;
    CanvasState editing = middle;  // text edited, nothing selected in it
    editing.editing = true;
    editing.editorCanPaste = true;

    struct Row
    {
        int id;
        HostCommandState none, middle, top, editing;
    };
    const Row rows[] = {
        {32815, {true, false}, {true, false}, {true, false}, {true, false}},      // add simple object
        {32816, {true, false}, {true, false}, {true, false}, {true, false}},      // add picture
        {32817, {false, false}, {true, false}, {true, false}, {true, false}},     // clone
        {32807, {false, false}, {true, false}, {true, false}, {true, false}},     // delete
        {32802, {false, false}, {true, false}, {false, false}, {true, false}},    // move up
        {32803, {false, false}, {true, false}, {true, false}, {true, false}},     // move down
        {32806, {false, false}, {true, false}, {true, true}, {true, false}},      // lock
        {32805, {true, false}, {true, false}, {true, true}, {true, false}},       // snap
        {32814, {false, false}, {true, false}, {false, false}, {true, false}},    // zoom in
        {32813, {true, false}, {true, false}, {true, false}, {true, false}},      // zoom out
        {57635, {false, false}, {true, false}, {true, false}, {false, false}},    // cut
        {57634, {false, false}, {true, false}, {true, false}, {false, false}},    // copy
        {57637, {false, false}, {true, false}, {true, false}, {true, false}},     // paste
        {57643, {false, false}, {true, false}, {true, false}, {false, false}},    // undo
        {57644, {false, false}, {false, false}, {false, false}, {false, false}},  // redo
        {32834, {false, false}, {true, false}, {true, false}, {true, true}},      // edit text
        {32835, {false, false}, {true, false}, {true, false}, {true, false}},     // properties
    };
    for (const Row& row : rows) {
        const std::pair<const CanvasState*, HostCommandState> cases[] = {
            {&none, row.none}, {&middle, row.middle}, {&top, row.top}, {&editing, row.editing}};
        int column = 0;
        for (const auto& [state, expected] : cases) {
            const HostCommandState got = CanvasCommandState(row.id, *state);
            EXPECT_EQ(got.enabled, expected.enabled) << row.id << " column " << column;
            EXPECT_EQ(got.checked, expected.checked) << row.id << " column " << column;
            ++column;
        }
    }
    CanvasState zoomedOut;
    zoomedOut.zoomLevel = 5;
    EXPECT_FALSE(CanvasCommandState(32813, zoomedOut).enabled);
}

}  // namespace
