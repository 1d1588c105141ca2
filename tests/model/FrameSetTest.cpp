#include "model/FrameSet.h"

#include <gtest/gtest.h>

namespace {

// An object that tells when it is destroyed.
class TrackedFrame : public CFrame
{
public:
    explicit TrackedFrame(int* destroyed) : destroyed_(destroyed) {}
    ~TrackedFrame() override { ++*destroyed_; }

private:
    int* destroyed_;
};

CFrame* Add(CFrameSet& page, QString group = {})
{
    auto object = std::make_unique<CFrame>();
    object->group = std::move(group);
    CFrame* raw = object.get();
    return page.AddObject(object) ? raw : nullptr;
}

std::vector<int> Ids(CFrameSet& page)
{
    FrameList list;
    page.TakeSnapshot(list);
    std::vector<int> ids;
    for (const CFrame* f : list)
        ids.push_back(f->id);
    page.ReleaseSnapshot();
    return ids;
}

TEST(FrameSet, HoldsAtMost256Objects)
{
    CFrameSet page;
    for (int i = 0; i < CFrameSet::kMaxObjects; ++i)
        ASSERT_NE(Add(page), nullptr);
    auto extra = std::make_unique<CFrame>();
    EXPECT_EQ(page.AddObject(extra), 0);
    ASSERT_NE(extra, nullptr) << "a refused object stays with the caller";
    EXPECT_EQ(page.InsertObjectAfter(extra, 0), 0);
    EXPECT_EQ(page.LiveCount(), 256);

    // A removed object frees its place at once, even before it is destroyed.
    FrameList list;
    page.TakeSnapshot(list);
    page.RemoveObject(list.front());
    EXPECT_EQ(page.AddObject(extra), 1);
    EXPECT_EQ(extra, nullptr);
    page.ReleaseSnapshot();
    EXPECT_EQ(page.LiveCount(), 256);
}

TEST(FrameSet, InsertAfterPlacesObjects)
{
    CFrameSet page;
    CFrame* a = Add(page);
    CFrame* b = Add(page);
    struct Case
    {
        const char* what;
        int afterId;
        std::vector<int> (*expected)(int a, int b, int added);
    };
    const Case cases[] = {
        {"0 inserts at the bottom", 0, [](int a, int b, int n) { return std::vector<int>{n, a, b}; }},
        {"above the object with that id", a->id, [](int a, int b, int n) { return std::vector<int>{a, n, b}; }},
        {"unknown id appends on top", 999999, [](int a, int b, int n) { return std::vector<int>{a, b, n}; }},
    };
    for (const Case& c : cases) {
        auto object = std::make_unique<CFrame>();
        const int added = object->id;
        ASSERT_EQ(page.InsertObjectAfter(object, c.afterId), 1) << c.what;
        EXPECT_EQ(Ids(page), c.expected(a->id, b->id, added)) << c.what;
        page.RemoveObject(page.FindObjectById(added));
    }
}

TEST(FrameSet, NumbersObjectsBottomToTopAmongLiveOnes)
{
    CFrameSet page;
    CFrame* a = Add(page);
    CFrame* b = Add(page);
    CFrame* c = Add(page);
    EXPECT_EQ(page.ObjectNumber(a), 1);
    EXPECT_EQ(page.ObjectNumber(c), 3);
    FrameList hold;
    page.TakeSnapshot(hold);
    page.RemoveObject(a);
    EXPECT_EQ(page.ObjectNumber(b), 1);
    EXPECT_EQ(page.ObjectNumber(c), 2);
    EXPECT_EQ(page.ObjectNumber(a), 0);
    page.ReleaseSnapshot();
}

TEST(FrameSet, MoveObjectSwapsWithLiveNeighbour)
{
    CFrameSet page;
    CFrame* a = Add(page);
    CFrame* b = Add(page);
    CFrame* c = Add(page);
    EXPECT_EQ(page.MoveObject(c, 1), 0) << "already on top";
    EXPECT_EQ(page.MoveObject(a, 0), 0) << "already at the bottom";
    EXPECT_EQ(page.MoveObject(a, 1), 1);
    EXPECT_EQ(Ids(page), (std::vector<int>{b->id, a->id, c->id}));
    EXPECT_EQ(page.MoveObject(c, 0), 1);
    EXPECT_EQ(Ids(page), (std::vector<int>{b->id, c->id, a->id}));

    // A removed object in between is skipped: the live neighbour moves.
    FrameList hold;
    page.TakeSnapshot(hold);
    page.RemoveObject(c);
    EXPECT_EQ(page.MoveObject(a, 0), 1);
    EXPECT_EQ(Ids(page), (std::vector<int>{a->id, b->id}));
    page.ReleaseSnapshot();
    EXPECT_EQ(Ids(page), (std::vector<int>{a->id, b->id}));

    CFrame stranger;
    EXPECT_EQ(page.MoveObject(&stranger, 1), 0);
}

TEST(FrameSet, RemovedObjectLivesUntilTheLastSnapshotIsReleased)
{
    CFrameSet page;
    int destroyed = 0;
    auto tracked = std::make_unique<CFrame>();
    tracked.reset(new TrackedFrame(&destroyed));
    CFrame* object = tracked.get();
    ASSERT_EQ(page.AddObject(tracked), 1);
    Add(page);

    FrameList renderSnapshot;
    EXPECT_EQ(page.TakeSnapshot(renderSnapshot), 2);
    object->playing = 1;
    page.RemoveObject(object);
    EXPECT_EQ(object->playing.load(), 0) << "removing stops the object";
    EXPECT_EQ(destroyed, 0);

    FrameList second;
    EXPECT_EQ(page.TakeSnapshot(second), 1) << "a new snapshot no longer lists it";
    page.ReleaseSnapshot();
    EXPECT_EQ(destroyed, 0) << "the render thread still holds its snapshot";
    EXPECT_EQ(renderSnapshot.front()->id, object->id);

    page.ReleaseSnapshot();
    EXPECT_EQ(destroyed, 1);
    page.ReleaseSnapshot();  // unbalanced releases do no harm
    EXPECT_EQ(page.LiveCount(), 1);
}

TEST(FrameSet, RemoveWithoutSnapshotDestroysAtOnce)
{
    CFrameSet page;
    int destroyed = 0;
    std::unique_ptr<CFrame> tracked(new TrackedFrame(&destroyed));
    CFrame* object = tracked.get();
    page.AddObject(tracked);
    page.RemoveObject(object);
    EXPECT_EQ(destroyed, 1);
    page.RemoveObject(object);  // no longer on the page: nothing happens
    EXPECT_EQ(destroyed, 1);
}

TEST(FrameSet, RemoveAllObjects)
{
    CFrameSet page;
    int destroyed = 0;
    for (int i = 0; i < 5; ++i) {
        std::unique_ptr<CFrame> tracked(new TrackedFrame(&destroyed));
        tracked->playing = 1;
        page.AddObject(tracked);
    }
    FrameList hold;
    page.TakeSnapshot(hold);
    page.RemoveAllObjects();
    EXPECT_EQ(page.LiveCount(), 0);
    for (const CFrame* f : hold)
        EXPECT_EQ(f->playing.load(), 0);
    EXPECT_EQ(destroyed, 0);
    page.ReleaseSnapshot();
    EXPECT_EQ(destroyed, 5);
}

TEST(FrameSet, CollectGroupNamesExactlyAndInOrder)
{
    CFrameSet page;
    Add(page, QStringLiteral("News"));
    Add(page);
    Add(page, QStringLiteral("news"));
    Add(page, QStringLiteral("News"));
    CFrame* gone = Add(page, QStringLiteral("Weather"));
    Add(page, QStringLiteral("Sport"));
    page.RemoveObject(gone);
    QStringList names{QStringLiteral("stale")};
    page.CollectGroupNames(names);
    EXPECT_EQ(names, (QStringList{"News", "news", "Sport"}));
}

TEST(FrameSet, FindObjectById)
{
    CFrameSet page;
    CFrame* a = Add(page);
    EXPECT_EQ(page.FindObjectById(a->id), a);
    EXPECT_EQ(page.FindObjectById(a->id + 1000), nullptr);
}

}  // namespace
