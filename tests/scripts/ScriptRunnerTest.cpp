#include "content/PagePlayback.h"
#include "model/FrameSet.h"
#include "model/PageFile.h"
#include "scripts/PageScriptTarget.h"
#include "scripts/ScriptRunner.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace {

using Item = CFrameScriptItem;

// A page the runner plays on, with the output on, and a record of the page
// files it loaded (each step of type 0 names one letter).
class RecordingTarget : public IScriptTarget
{
public:
    RecordingTarget() { page.outputActive.store(1); }
    ~RecordingTarget() override { page.outputActive.store(0); }

    bool ScriptRunCondition() override { return runCondition; }
    CFrameSet& ScriptPage() override { return page; }
    void ScriptMergePage(const QString& path, int) override
    {
        loaded += path.toStdString();
        if (onMerge)
            onMerge();
    }
    void ScriptDeleteObjects(const QString& group) override { deleted += group.isEmpty() ? "*" : group.toStdString(); }
    void ScriptStatusUpdate() override { ++statusUpdates; }

    CFrameSet page;
    bool runCondition = true;
    std::string loaded;
    std::string deleted;
    int statusUpdates = 0;
    std::function<void()> onMerge;
};

Item Load(const char* name) { return {Item::kLoadPage, QString::fromLatin1(name), 0}; }
Item Wait(int seconds) { return {Item::kWaitPeriod, {}, seconds}; }
Item WaitUntil(int h, int m, int s) { return {Item::kWaitUntil, {}, h * 3600 + m * 60 + s}; }

CFrameScript Script(std::vector<Item> items, int loop = 0)
{
    CFrameScript script;
    script.items = std::move(items);
    script.loop = loop;
    return script;
}

class Runner : public ::testing::Test
{
protected:
    void Start(const CFrameScript& script) { ASSERT_EQ(runner_.Start(script, true, clock_), 1); }
    // One 200 ms tick (the clock moves first, as time passes between ticks).
    void Tick(const CFrameScript& script, int ms = 200)
    {
        clock_.Advance(ms);
        runner_.Process(script, target_, clock_);
    }

    CVirtualScriptClock clock_{QDateTime(QDate(2026, 3, 2), QTime(12, 0))};
    CScriptRunner runner_;
    RecordingTarget target_;
};

TEST_F(Runner, InstantStepsRunWithinOneTickUpToTheAdvanceLimit)
{
    struct Case
    {
        const char* what;
        CFrameScript script;
        std::string afterFirstTick;
        bool running;
    };
    const Case cases[] = {
        {"three steps without loop run and stop", Script({Load("a"), Load("b"), Load("c")}), "abc", false},
        {"with loop the first runs again, then the limit stops it", Script({Load("a"), Load("b"), Load("c")}, 1),
         "abca", false},
        {"a single looping step runs twice", Script({Load("a")}, 1), "aa", false},
        {"wait 0 seconds advances at once", Script({Load("a"), Wait(0), Load("b")}), "ab", false},
        {"a negative wait from a hand-made file counts as none", Script({Wait(-5), Load("a")}), "a", false},
        {"a wait holds the rest", Script({Load("a"), Wait(1), Load("b")}), "a", true},
        {"a looping script with a wait keeps running", Script({Load("a"), Wait(1)}, 1), "a", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CScriptRunner runner;
        RecordingTarget target;
        ASSERT_EQ(runner.Start(c.script, true, clock_), 1);
        EXPECT_EQ(target.loaded, "") << "the first step runs at the next tick, not at the start";
        runner.Process(c.script, target, clock_);
        EXPECT_EQ(target.loaded, c.afterFirstTick);
        EXPECT_EQ(runner.scriptRunning, c.running ? 1 : 0);
    }
}

TEST_F(Runner, StartNeedsStepsTheRunConditionAndNoRunningScript)
{
    const CFrameScript empty;
    const CFrameScript one = Script({Wait(10)});
    EXPECT_EQ(runner_.Start(empty, true, clock_), 0);
    EXPECT_EQ(runner_.Start(one, false, clock_), 0);
    EXPECT_EQ(runner_.Start(one, true, clock_), 1);
    EXPECT_EQ(runner_.Start(one, true, clock_), 0);
    EXPECT_EQ(runner_.Stop(), 1);
    EXPECT_EQ(runner_.Stop(), 0);
}

TEST_F(Runner, WaitCountsFromTheMomentItsStepBecameCurrent)
{
    const CFrameScript script = Script({Load("a"), Wait(5), Load("b")});
    // Loading the page takes a second.
    target_.onMerge = [this] { clock_.Advance(1000); };
    Start(script);
    Tick(script);  // a runs and takes 1 s; the wait starts after it
    ASSERT_EQ(runner_.scriptStep, 1);
    const uint32_t waitStart = runner_.stepStartTick;
    for (int i = 0; i < 24; ++i)
        Tick(script);  // 4.8 s of the wait
    EXPECT_EQ(target_.loaded, "a");
    Tick(script);  // 5.0 s
    EXPECT_EQ(target_.loaded, "ab");
    EXPECT_GE(clock_.TickCount() - waitStart, 5000u);
    EXPECT_EQ(runner_.scriptRunning, 0);
}

TEST_F(Runner, WaitAcrossTheTickCountWrap)
{
    CVirtualScriptClock clock(QDateTime(QDate(2026, 3, 2), QTime(12, 0)), 0xFFFFFF00u);
    const CFrameScript script = Script({Wait(1), Load("a")});
    ASSERT_EQ(runner_.Start(script, true, clock), 1);
    clock.Advance(800);  // the tick count wraps here
    runner_.Process(script, target_, clock);
    EXPECT_EQ(target_.loaded, "");
    clock.Advance(200);
    runner_.Process(script, target_, clock);
    EXPECT_EQ(target_.loaded, "a");
}

TEST_F(Runner, WaitUntilATimeOfDay)
{
    const CFrameScript script = Script({WaitUntil(12, 0, 3), Load("a")});
    Start(script);
    for (int i = 0; i < 14; ++i)
        Tick(script);  // up to 12:00:02.8
    EXPECT_EQ(target_.loaded, "");
    Tick(script);  // 12:00:03.0: the first tick during that second
    EXPECT_EQ(target_.loaded, "a");

    // A second missed because the thread was blocked waits until the next day.
    CScriptRunner late;
    RecordingTarget target;
    const CFrameScript again = Script({WaitUntil(12, 0, 10), Load("b")});
    ASSERT_EQ(late.Start(again, true, clock_), 1);
    clock_.SetLocalTime(QDateTime(QDate(2026, 3, 2), QTime(12, 0, 9, 900)));
    clock_.Advance(1200);  // blocked: 12:00:09.9 -> 12:00:11.1
    late.Process(again, target, clock_);
    EXPECT_EQ(target.loaded, "");
    clock_.Advance(24 * 3600 * 1000 - 1100);  // 12:00:10.0 the next day
    late.Process(again, target, clock_);
    EXPECT_EQ(target.loaded, "b");
}

TEST_F(Runner, PlayAndWaitForTheEndLoops)
{
    auto object = std::make_unique<CFrame>();
    CFrame* o = object.get();
    target_.page.AddObject(object);
    const CFrameScript script = Script({{Item::kPlay, {}, 0}, {Item::kWaitEnd, {}, 0}}, 1);
    Start(script);
    Tick(script);
    EXPECT_EQ(o->playing.load(), 1);
    EXPECT_EQ(runner_.scriptStep, 1) << "step 2 of 2 while waiting";
    Tick(script);
    EXPECT_EQ(runner_.scriptStep, 1);
    o->StopOutput();  // the object ended
    Tick(script);
    EXPECT_EQ(o->playing.load(), 1) << "played again";
    EXPECT_EQ(runner_.scriptStep, 1);
    EXPECT_EQ(runner_.scriptRunning, 1);
}

TEST_F(Runner, GroupStepsActOnTheirGroupOnly)
{
    auto intro = std::make_unique<CFrame>();
    auto other = std::make_unique<CFrame>();
    intro->group = QStringLiteral("Intro");
    other->group = QStringLiteral("Other");
    CFrame* i = intro.get();
    CFrame* o = other.get();
    target_.page.AddObject(intro);
    target_.page.AddObject(other);
    const QString g = QStringLiteral("Intro");
    const CFrameScript script = Script({{Item::kPlay, g, 0},
                                        {Item::kPause, g, 0},
                                        {Item::kWaitEnd, QStringLiteral("Other"), 0},
                                        {Item::kPlay, {}, 0},
                                        {Item::kEnd, g, 0},
                                        {Item::kStop, QStringLiteral("Other"), 0},
                                        {Item::kDelete, g, 0}});
    Start(script);
    Tick(script);
    EXPECT_EQ(i->playing.load(), 1);
    EXPECT_EQ(i->paused.load(), 0) << "Play all resumed it";
    EXPECT_EQ(i->ending.load(), 1);
    EXPECT_EQ(o->playing.load(), 0);
    EXPECT_EQ(target_.deleted, "Intro");
    EXPECT_EQ(runner_.scriptRunning, 0);
}

TEST_F(Runner, StopsWhenTheRunConditionFails)
{
    const CFrameScript script = Script({Load("a"), Wait(60), Load("b")}, 1);
    Start(script);
    Tick(script);
    EXPECT_EQ(runner_.scriptRunning, 1);
    const int updates = target_.statusUpdates;
    target_.runCondition = false;
    Tick(script);
    EXPECT_EQ(runner_.scriptRunning, 0);
    EXPECT_EQ(target_.statusUpdates, updates + 1);
    EXPECT_EQ(runner_.scriptStep, 1) << "the step is kept; the next start begins at the first";

    // A script emptied under the runner stops instead of reading past it.
    target_.runCondition = true;
    CFrameScript shrinking = Script({Wait(60)});
    Start(shrinking);
    shrinking.items.clear();
    Tick(shrinking);
    EXPECT_EQ(runner_.scriptRunning, 0);
}

}  // namespace

namespace {

// A script run the way the off-line renderer runs one: a bare page, the
// output flag on, and the runner ticked every 200 ms of a virtual clock.
TEST(PageScriptTarget, RunsAScriptOnABarePage)
{
    QTemporaryDir folder;
    const QString pagePath = folder.filePath(QStringLiteral("Show.tavrel"));
    std::vector<std::unique_ptr<CFrame>> owned;
    FrameList objects;
    for (const char* group : {"A", "B"}) {
        owned.push_back(std::make_unique<CFrame>());
        owned.back()->group = QString::fromLatin1(group);
        objects.push_back(owned.back().get());
    }
    CPageFileContext context;
    context.rasterWidth = 1920;
    context.rasterHeight = 1080;
    ASSERT_TRUE(WritePage(pagePath, objects, context));

    CFrameSet page;
    page.outputActive.store(1);
    std::vector<int> messages;
    CPageScriptTarget target(page, 0, [&](const CUserMessage& m) { messages.push_back(m.stringId); });
    const CFrameScript script = Script({Load(pagePath.toUtf8().constData()),
                                        {Item::kPlay, {}, 0},
                                        Wait(1),
                                        {Item::kDelete, QStringLiteral("A"), 0},
                                        Load("/no/such/page.tavrel"),
                                        Wait(1)});
    CVirtualScriptClock clock;
    CScriptRunner runner;
    ASSERT_EQ(runner.Start(script, true, clock), 1);
    std::vector<int> liveAtTick;
    for (int tick = 0; tick < 8; ++tick) {
        clock.Advance(200);
        runner.Process(script, target, clock);
        liveAtTick.push_back(page.LiveCount());
    }
    // The wait became current at 200 ms and ends at the tick of 1200 ms.
    EXPECT_EQ(liveAtTick, (std::vector<int>{2, 2, 2, 2, 2, 1, 1, 1}));
    FrameList list;
    page.TakeSnapshot(list);
    page.ReleaseSnapshot();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0]->group, QStringLiteral("B"));
    EXPECT_EQ(list[0]->playing.load(), 1);
    EXPECT_EQ(list[0]->framePeriod, 20000);
    EXPECT_EQ(messages, std::vector<int>{10311});
    EXPECT_EQ(runner.scriptRunning, 1);
    CPagePlayback(page).StopAllObjects();
    page.outputActive.store(0);
}

}  // namespace
