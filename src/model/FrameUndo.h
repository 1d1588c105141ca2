#pragma once

#include "model/Frame.h"

#include <deque>
#include <memory>

class CFrameSet;

// What an undo step records. Values are fixed.
enum UndoKind : int
{
    ObjectDeleted = 0,
    ObjectCreated = 1,
    ObjectMovedOrResized = 2,
    TextEdited = 3,
    PropertiesChanged = 4,
};

// One edit of one object, with what it takes to restore it.
class CFrameUndoEntry
{
public:
    virtual ~CFrameUndoEntry() = default;

    int kind = ObjectDeleted;
    // The object as it was (deleted, text edited, properties changed); it
    // carries the object's own id, lock and image link, so it stands for the
    // object itself.
    std::unique_ptr<CFrame> copy;
    CRect rect;       // created, moved or resized: the rectangle as it was
    int objectId = 0;
    int belowId = 0;  // the live object directly below it then; 0 at the bottom
};

// The two bounded lists of steps.
class CFrameUndo
{
public:
    static constexpr int kMaxSteps = 100;

    virtual ~CFrameUndo() = default;

    CFrameUndoEntry& PushUndo(int kind, const CFrame& object, int belowId, int clearRedo);
    CFrameUndoEntry& PushRedo(int kind, const CFrame& object, int belowId);
    void PopUndo();
    void PopRedo();
    void RemoveAllSteps();

    std::deque<std::unique_ptr<CFrameUndoEntry>> undoSteps;  // oldest first
    std::deque<std::unique_ptr<CFrameUndoEntry>> redoSteps;  // oldest first

private:
    static std::unique_ptr<CFrameUndoEntry> BuildStep(int kind, const CFrame& object, int belowId);
    static CFrameUndoEntry& Append(std::deque<std::unique_ptr<CFrameUndoEntry>>& list,
                                   std::unique_ptr<CFrameUndoEntry> step);
};

// The undo operations of the page's document: record steps for objects of
// the page, and take them back or do them again.
class CPageUndo
{
public:
    CPageUndo(CFrameSet& page, CFrameUndo& undo) : page_(page), undo_(undo) {}

    void RecordUndoStep(int kind, const CFrame& object, int clearRedo);
    void RecordRedoStep(int kind, const CFrame& object);
    void DropLastUndoStep() { undo_.PopUndo(); }

    struct Result
    {
        bool applied = false;      // a step was taken: the page counts as modified
        CFrame* object = nullptr;  // the object to select afterwards, or none
    };
    // Takes back the newest undo step (isUndo 1) or does the newest redo
    // step again. A deletion that cannot come back because the page is full
    // is refused: the step stays and nothing changes.
    Result ApplyUndoStep(int isUndo);

private:
    int BelowId(const CFrame& object);

    CFrameSet& page_;
    CFrameUndo& undo_;
};
