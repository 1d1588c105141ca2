#include "model/FrameSet.h"
#include "model/FrameUndo.h"

#include <gtest/gtest.h>

namespace {

class Undo : public ::testing::Test
{
protected:
    CFrame* Add(CRect rect = {0, 0, 100, 50})
    {
        auto object = std::make_unique<CFrame>();
        object->rect = rect;
        CFrame* raw = object.get();
        EXPECT_EQ(page_.AddObject(object), 1);
        return raw;
    }
    // What the editor does: record, then delete.
    void Delete(CFrame* object)
    {
        history_.RecordUndoStep(ObjectDeleted, *object, 1);
        page_.RemoveObject(object);
    }
    void Move(CFrame* object, CRect to)
    {
        history_.RecordUndoStep(ObjectMovedOrResized, *object, 1);
        object->rect = to;
    }
    std::vector<int> Ids()
    {
        FrameList list;
        page_.TakeSnapshot(list);
        std::vector<int> ids;
        for (const CFrame* f : list)
            ids.push_back(f->id);
        page_.ReleaseSnapshot();
        return ids;
    }

    CFrameSet page_;
    CFrameUndo undo_;
    CPageUndo history_{page_, undo_};
};

TEST_F(Undo, ListsHoldAtMost100Steps)
{
    CFrame* object = Add();
    for (int i = 1; i <= 101; ++i)
        Move(object, {i, 0, i + 100, 50});
    EXPECT_EQ(undo_.undoSteps.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_TRUE(history_.ApplyUndoStep(1).applied);
    EXPECT_FALSE(history_.ApplyUndoStep(1).applied) << "an empty list does nothing";
    EXPECT_EQ(object->rect.left, 1) << "the oldest step was dropped";
    EXPECT_EQ(undo_.redoSteps.size(), 100u);

    // Redo while the undo list is full drops its oldest step.
    Move(object, {500, 0, 600, 50});  // empties the redo list
    EXPECT_TRUE(undo_.redoSteps.empty());
    for (int i = 0; i < 99; ++i)
        Move(object, {i, 1, i + 10, 11});
    ASSERT_EQ(undo_.undoSteps.size(), 100u);
    history_.ApplyUndoStep(1);
    history_.ApplyUndoStep(0);
    EXPECT_EQ(undo_.undoSteps.size(), 100u);
}

TEST_F(Undo, DeletedObjectComesBackWhereItWasWithItsId)
{
    struct Case
    {
        const char* what;
        int deleteIndex;         // which of a, b, c is deleted
        int alsoDeleteBelow;     // then delete the one below it too (without undo)
        std::vector<int> order;  // indexes into a, b, c after undo
    };
    const Case cases[] = {
        {"middle object returns between its neighbours", 1, 0, {0, 1, 2}},
        {"bottom object returns at the bottom", 0, 0, {0, 1, 2}},
        {"top object returns on top", 2, 0, {0, 1, 2}},
        {"object below gone meanwhile: back on top", 1, 1, {2, 1}},
    };
    for (const Case& c : cases) {
        CFrameSet page;
        CFrameUndo undo;
        CPageUndo history(page, undo);
        std::vector<CFrame*> objects;
        std::vector<int> ids;
        for (int i = 0; i < 3; ++i) {
            auto object = std::make_unique<CFrame>();
            objects.push_back(object.get());
            ids.push_back(object->id);
            page.AddObject(object);
        }
        CFrame* victim = objects[c.deleteIndex];
        victim->locked = 1;
        victim->linkImageFile = 1;
        victim->imageFileName = QStringLiteral("/pics/logo.png");
        history.RecordUndoStep(ObjectDeleted, *victim, 1);
        page.RemoveObject(victim);
        if (c.alsoDeleteBelow)
            page.RemoveObject(objects[c.deleteIndex - 1]);

        const CPageUndo::Result result = history.ApplyUndoStep(1);
        ASSERT_NE(result.object, nullptr) << c.what;
        EXPECT_EQ(result.object->id, ids[c.deleteIndex]) << c.what;
        EXPECT_EQ(result.object->locked, 1) << c.what;
        EXPECT_EQ(result.object->linkImageFile, 1) << c.what;
        EXPECT_EQ(result.object->imageFileName, QStringLiteral("/pics/logo.png")) << c.what;
        std::vector<int> expected;
        for (int index : c.order)
            expected.push_back(ids[index]);
        FrameList list;
        page.TakeSnapshot(list);
        std::vector<int> actual;
        for (const CFrame* f : list)
            actual.push_back(f->id);
        page.ReleaseSnapshot();
        EXPECT_EQ(actual, expected) << c.what;
        ASSERT_EQ(undo.redoSteps.size(), 1u);
        EXPECT_EQ(undo.redoSteps.back()->kind, ObjectCreated) << c.what;
    }
}

TEST_F(Undo, CreationUndoneAndRedone)
{
    Add();
    CFrame* created = Add({10, 10, 20, 20});
    const int id = created->id;
    history_.RecordUndoStep(ObjectCreated, *created, 1);

    CPageUndo::Result result = history_.ApplyUndoStep(1);
    EXPECT_TRUE(result.applied);
    EXPECT_EQ(result.object, nullptr) << "no selection after undoing a creation";
    EXPECT_EQ(page_.FindObjectById(id), nullptr);

    result = history_.ApplyUndoStep(0);
    ASSERT_NE(result.object, nullptr);
    EXPECT_EQ(result.object->id, id);
    EXPECT_EQ(result.object->rect, (CRect{10, 10, 20, 20}));
    EXPECT_EQ(Ids().back(), id);
    ASSERT_EQ(undo_.undoSteps.size(), 1u);
    EXPECT_EQ(undo_.undoSteps.back()->kind, ObjectCreated);
}

TEST_F(Undo, MoveTogglesBackAndForth)
{
    CFrame* object = Add({0, 0, 10, 10});
    Move(object, {5, 5, 15, 15});
    object->previewBackgroundValid = 1;
    EXPECT_EQ(history_.ApplyUndoStep(1).object, object);
    EXPECT_EQ(object->rect, (CRect{0, 0, 10, 10}));
    EXPECT_EQ(object->previewBackgroundValid, 0);
    history_.ApplyUndoStep(0);
    EXPECT_EQ(object->rect, (CRect{5, 5, 15, 15}));
    history_.ApplyUndoStep(1);
    EXPECT_EQ(object->rect, (CRect{0, 0, 10, 10}));
    EXPECT_EQ(undo_.undoSteps.size(), 0u);
    EXPECT_EQ(undo_.redoSteps.size(), 1u);
}

TEST_F(Undo, TextAndPropertiesEachRestoreTheirOwnPart)
{
    CFrame* object = Add();
    object->richText = "{\\rtf1 before}";
    history_.RecordUndoStep(TextEdited, *object, 1);
    object->richText = "{\\rtf1 after}";
    history_.RecordUndoStep(PropertiesChanged, *object, 1);
    object->group = QStringLiteral("News");
    object->inEffect = 5;
    object->richText = "{\\rtf1 placeholder from the new source}";

    history_.ApplyUndoStep(1);  // properties
    EXPECT_TRUE(object->group.isEmpty());
    EXPECT_EQ(object->inEffect, 0);
    EXPECT_EQ(object->richText, QByteArray("{\\rtf1 placeholder from the new source}")) << "the text stays";
    history_.ApplyUndoStep(1);  // text
    EXPECT_EQ(object->richText, QByteArray("{\\rtf1 before}"));
    EXPECT_TRUE(object->group.isEmpty());
    history_.ApplyUndoStep(0);
    EXPECT_EQ(object->richText, QByteArray("{\\rtf1 placeholder from the new source}"));
}

TEST_F(Undo, StepOfAVanishedObjectIsConsumedWithoutEffect)
{
    CFrame* object = Add();
    Move(object, {1, 1, 2, 2});
    page_.RemoveObject(object);  // a script removed it
    const CPageUndo::Result result = history_.ApplyUndoStep(1);
    EXPECT_TRUE(result.applied);
    EXPECT_EQ(result.object, nullptr);
    EXPECT_TRUE(undo_.undoSteps.empty());
    EXPECT_TRUE(undo_.redoSteps.empty()) << "no opposite step";
}

TEST_F(Undo, DeletionOnAFullPageWaitsForRoom)
{
    CFrame* victim = Add();
    const int id = victim->id;
    Delete(victim);
    for (int i = 0; i < CFrameSet::kMaxObjects; ++i)
        Add();
    const CPageUndo::Result refused = history_.ApplyUndoStep(1);
    EXPECT_FALSE(refused.applied);
    EXPECT_EQ(refused.object, nullptr);
    EXPECT_EQ(undo_.undoSteps.size(), 1u) << "the step is kept";
    EXPECT_TRUE(undo_.redoSteps.empty());
    EXPECT_EQ(page_.LiveCount(), CFrameSet::kMaxObjects);

    page_.RemoveObject(page_.FindObjectById(Ids().back()));
    const CPageUndo::Result restored = history_.ApplyUndoStep(1);
    ASSERT_NE(restored.object, nullptr);
    EXPECT_EQ(restored.object->id, id);
}

TEST_F(Undo, MoveWhileOnAirStopsTheObject)
{
    CFrame* object = Add();
    Move(object, {3, 3, 30, 30});
    page_.outputActive = 1;
    object->playing = 1;
    history_.ApplyUndoStep(1);
    EXPECT_EQ(object->playing.load(), 0) << "stopped, and not restarted";
}

TEST_F(Undo, DroppedStepStillEmptiedTheRedoList)
{
    CFrame* object = Add();
    Move(object, {1, 1, 11, 11});
    history_.ApplyUndoStep(1);
    ASSERT_EQ(undo_.redoSteps.size(), 1u);
    // A drag that ends where it started.
    history_.RecordUndoStep(ObjectMovedOrResized, *object, 1);
    history_.DropLastUndoStep();
    EXPECT_TRUE(undo_.undoSteps.empty());
    EXPECT_TRUE(undo_.redoSteps.empty());
}

}  // namespace
