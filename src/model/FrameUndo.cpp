#include "model/FrameUndo.h"

#include "model/FrameSet.h"

#include <algorithm>

std::unique_ptr<CFrameUndoEntry> CFrameUndo::BuildStep(int kind, const CFrame& object, int belowId)
{
    auto step = std::make_unique<CFrameUndoEntry>();
    step->kind = kind;
    step->belowId = belowId;
    step->objectId = object.id;
    if (kind == ObjectCreated || kind == ObjectMovedOrResized) {
        step->rect = object.rect;
    } else {
        step->copy = std::make_unique<CFrame>(object);
        step->copy->id = object.id;
        step->copy->locked = object.locked;
        step->copy->linkImageFile = object.linkImageFile;
        step->copy->imageFileName = object.imageFileName;
    }
    return step;
}

CFrameUndoEntry& CFrameUndo::Append(std::deque<std::unique_ptr<CFrameUndoEntry>>& list,
                                    std::unique_ptr<CFrameUndoEntry> step)
{
    while (list.size() >= static_cast<size_t>(kMaxSteps))
        list.pop_front();
    list.push_back(std::move(step));
    return *list.back();
}

CFrameUndoEntry& CFrameUndo::PushUndo(int kind, const CFrame& object, int belowId, int clearRedo)
{
    if (clearRedo)
        redoSteps.clear();
    return Append(undoSteps, BuildStep(kind, object, belowId));
}

CFrameUndoEntry& CFrameUndo::PushRedo(int kind, const CFrame& object, int belowId)
{
    return Append(redoSteps, BuildStep(kind, object, belowId));
}

void CFrameUndo::PopUndo()
{
    if (!undoSteps.empty())
        undoSteps.pop_back();
}

void CFrameUndo::PopRedo()
{
    if (!redoSteps.empty())
        redoSteps.pop_back();
}

void CFrameUndo::RemoveAllSteps()
{
    undoSteps.clear();
    redoSteps.clear();
}

int CPageUndo::BelowId(const CFrame& object)
{
    FrameList list;
    page_.TakeSnapshot(list);
    const auto it = std::find(list.begin(), list.end(), &object);
    const int belowId = (it == list.end() || it == list.begin()) ? 0 : (*(it - 1))->id;
    page_.ReleaseSnapshot();
    return belowId;
}

void CPageUndo::RecordUndoStep(int kind, const CFrame& object, int clearRedo)
{
    undo_.PushUndo(kind, object, BelowId(object), clearRedo);
}

void CPageUndo::RecordRedoStep(int kind, const CFrame& object)
{
    undo_.PushRedo(kind, object, BelowId(object));
}

CPageUndo::Result CPageUndo::ApplyUndoStep(int isUndo)
{
    auto& steps = isUndo ? undo_.undoSteps : undo_.redoSteps;
    if (steps.empty())
        return {};
    CFrameUndoEntry* step = steps.back().get();
    auto recordOpposite = [&](int kind, const CFrame& object) {
        if (isUndo)
            RecordRedoStep(kind, object);
        else
            RecordUndoStep(kind, object, 0);
    };
    auto dropApplied = [&steps] { steps.pop_back(); };

    Result result;
    result.applied = true;
    switch (step->kind) {
    case ObjectDeleted: {
        // A full page cannot take it back: keep the step for later.
        if (!step->copy || page_.LiveCount() >= CFrameSet::kMaxObjects)
            return {};
        std::unique_ptr<CFrame> copy = std::move(step->copy);
        CFrame* restored = copy.get();
        const int belowId = step->belowId;
        recordOpposite(ObjectCreated, *restored);
        dropApplied();
        copy->InvalidatePreview();
        page_.InsertObjectAfter(copy, belowId);
        result.object = restored;
        return result;
    }
    case ObjectCreated: {
        if (CFrame* object = page_.FindObjectById(step->objectId)) {
            recordOpposite(ObjectDeleted, *object);
            page_.RemoveObject(object);
        }
        break;
    }
    case ObjectMovedOrResized:
    case TextEdited:
    case PropertiesChanged: {
        CFrame* object = page_.FindObjectById(step->objectId);
        if (!object)
            break;
        if (page_.outputActive.load())
            object->StopOutput();
        recordOpposite(step->kind, *object);
        if (step->kind == ObjectMovedOrResized)
            object->rect = step->rect;
        else if (step->kind == TextEdited)
            object->richText = step->copy->richText;
        else
            object->CopySettings(*step->copy);
        object->InvalidatePreview();
        result.object = object;
        break;
    }
    default:
        break;
    }
    // The opposite step went to the other list, so the applied one is still
    // the newest here.
    dropApplied();
    return result;
}
