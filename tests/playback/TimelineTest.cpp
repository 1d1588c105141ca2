#include "PresentedObject.h"

#include "content/FramePlayer.h"
#include "playback/EffectGeometry.h"
#include "playback/TimelinePhase.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// The example presentation: 2 s delay, 0.5 s in, shown until 4.5 s, 0.5 s out.
class Timeline : public testing::Test
{
protected:
    Timeline()
    {
        CFrame& o = p.object;
        o.startDelay = 2000;
        o.inDuration = 500;
        o.inEffect = kEffectRevealLeft;
        o.showFor = 5000;
        o.showIndefinitely = 0;
        o.outDuration = 500;
        o.outEffect = kEffectRevealLeft;  // "Hide to Left side"
    }

    // What each frame drew, by the clock time it was drawn at; -1 = finished.
    std::map<int, int> VisibleWidthByTime()
    {
        std::map<int, int> widths;
        while (p.object.playing.load()) {
            const int t = p.object.elapsed.load();
            widths[t] = p.Frame() ? (p.Visible() ? int(p.result.destRect.right - p.result.destRect.left) : 0) : -1;
        }
        return widths;
    }

    PresentedObject p;
};

TEST_F(Timeline, DelayInShowOutFinish)
{
    ASSERT_EQ(CFramePlayer(p.object).Play(), 1);
    const auto widths = VisibleWidthByTime();
    for (const auto& [t, width] : widths) {
        SCOPED_TRACE(t);
        if (t < 2000)
            EXPECT_EQ(width, 0);
        else if (t < 2500)
            EXPECT_EQ(width, (t - 2000) * 400 / 500);
        else if (t < 4500)
            EXPECT_EQ(width, 400);
        else if (t < 5000)
            EXPECT_EQ(width, (5000 - t) * 400 / 500);
        else
            EXPECT_EQ(width, -1);
    }
    EXPECT_EQ(widths.rbegin()->first, 5000);
    EXPECT_EQ(widths.at(2260), 208);
    EXPECT_EQ(widths.at(4740), 208);
    EXPECT_FALSE(p.object.playing.load());
    EXPECT_EQ(p.object.backgroundTexture, nullptr) << "stopping releases the textures";
}

TEST_F(Timeline, ShowForShorterThanTheDelayNeverShows)
{
    p.object.showFor = 1000;
    CFramePlayer(p.object).Play();
    const auto widths = VisibleWidthByTime();
    EXPECT_EQ(widths.rbegin()->first, 1000);
    EXPECT_EQ(widths.rbegin()->second, -1);
    for (const auto& [t, width] : widths)
        EXPECT_LE(width, 0) << t;
}

TEST_F(Timeline, EndDuringTheInEffectWaitsForIt)
{
    CFramePlayer(p.object).Play();
    p.RunTo(2200);
    EXPECT_EQ(CFramePlayer(p.object).End(), 0) << "a running object is not resumed";
    EXPECT_EQ(p.object.endTime.load(), 3000);
    EXPECT_EQ(p.object.ending.load(), 1);
    EXPECT_EQ(CFramePlayer(p.object).End(), 0);
    EXPECT_EQ(p.object.endTime.load(), 3000) << "a second End changes nothing";

    const auto widths = VisibleWidthByTime();
    EXPECT_EQ(widths.at(2400), 320) << "still coming in";
    EXPECT_EQ(widths.at(2500), 400);
    EXPECT_EQ(widths.at(2520), 400 - 16) << "the out effect starts when the in effect is done";
    EXPECT_EQ(widths.at(2900), 80);
    EXPECT_EQ(widths.rbegin()->first, 3000);
}

TEST_F(Timeline, EndResumesAPausedObject)
{
    EXPECT_EQ(CFramePlayer(p.object).End(), 0) << "not playing";
    CFramePlayer(p.object).Play();
    p.RunTo(3000);
    EXPECT_EQ(CFramePlayer(p.object).TogglePause(), 1);
    EXPECT_EQ(CFramePlayer(p.object).End(), 1);
    EXPECT_EQ(p.object.paused.load(), 0);
    EXPECT_EQ(p.object.endTime.load(), 3500);
}

TEST_F(Timeline, PauseFreezesClockAndEffect)
{
    CFramePlayer(p.object).Play();
    p.RunTo(2100);
    CFramePlayer(p.object).TogglePause();
    p.Frame();
    const FloatRect before = p.result.destRect;
    EXPECT_EQ(before.right, 180);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(p.Frame(), 1);
    EXPECT_EQ(p.object.elapsed.load(), 2100);
    EXPECT_EQ(p.result.destRect, before) << "a paused object keeps being drawn as it was";
    EXPECT_EQ(CFramePlayer(p.object).Play(), 0) << "Play resumes";
    EXPECT_EQ(p.object.paused.load(), 0);
    p.Frame();
    EXPECT_EQ(p.object.elapsed.load(), 2120);
    EXPECT_EQ(CFramePlayer(p.object).TogglePause(), 1);
    p.object.StopOutput();
    EXPECT_EQ(CFramePlayer(p.object).TogglePause(), 0) << "only a playing object pauses";
}

TEST_F(Timeline, RepeatStartsOverUntilEnded)
{
    p.object.repeat = 1;
    CFramePlayer(p.object).Play();
    p.RunTo(4980);
    ASSERT_EQ(p.Frame(), 1);
    EXPECT_EQ(p.object.elapsed.load(), 5000);
    ASSERT_EQ(p.Frame(), 1) << "starts over instead of finishing";
    EXPECT_EQ(p.object.elapsed.load(), 0) << "the text is prepared again first";
    EXPECT_FALSE(p.Visible());
    p.Frame();
    EXPECT_EQ(p.object.elapsed.load(), 20);
    EXPECT_FALSE(p.Visible()) << "back in the start delay";

    p.RunTo(3000);
    CFramePlayer(p.object).End();
    const auto widths = VisibleWidthByTime();
    EXPECT_EQ(widths.rbegin()->first, 3500) << "ended: plays its out effect once and finishes";
    EXPECT_EQ(widths.rbegin()->second, -1);
}

TEST_F(Timeline, PlayOnAPlayingObjectRestartsOnlyWhenRepeating)
{
    CFramePlayer(p.object).Play();
    p.RunTo(3000);
    EXPECT_EQ(CFramePlayer(p.object).Play(), 0);
    p.Frame();
    EXPECT_EQ(p.object.elapsed.load(), 3020) << "without repeat nothing happens";

    p.object.repeat = 1;
    EXPECT_EQ(CFramePlayer(p.object).Play(), 0);
    ASSERT_EQ(p.Frame(), 1);
    EXPECT_EQ(p.object.elapsed.load(), 0) << "restarted at the next frame";
}

TEST_F(Timeline, StopDuringTheOutEffectRemovesAtOnce)
{
    CFramePlayer(p.object).Play();
    p.RunTo(4700);
    EXPECT_EQ(p.object.StopOutput(), 1);
    EXPECT_EQ(p.object.playing.load(), 0);
    EXPECT_EQ(p.object.backgroundTexture, nullptr);
    EXPECT_EQ(p.Frame(), 0) << "the render thread no longer takes it";
    EXPECT_EQ(p.object.StopOutput(), 0);
}

TEST_F(Timeline, AnEndThatNeverFinishedDoesNotEndTheNextPlay)
{
    p.object.repeat = 1;
    CFramePlayer(p.object).Play();
    p.RunTo(3000);
    CFramePlayer(p.object).End();
    p.object.StopOutput();
    CFramePlayer(p.object).Play();
    p.RunTo(5000);
    EXPECT_EQ(p.Frame(), 1) << "repeats";
    EXPECT_TRUE(p.object.playing.load());
}

TEST(TimelineClock, KeepsTheMicrosecondRemainder)
{
    PresentedObject p;
    CFramePlayer(p.object).Play();
    for (int i = 0; i < 3; ++i)
        p.Frame(16667);
    EXPECT_EQ(p.object.elapsed.load(), 50);
    EXPECT_EQ(p.object.elapsedMicros, 1);
    for (int i = 0; i < 60; ++i)
        p.Frame(16667);
    EXPECT_EQ(p.object.elapsed.load(), 1050) << "63 frames of 16667 us are 1050.021 ms";
    EXPECT_EQ(p.object.elapsedMicros, 21);
}

TEST(TimelineClock, WaitsForTheTextThread)
{
    PresentedObject p;
    CFramePlayer(p.object).Play();
    ASSERT_EQ(CFramePlayer(p.object).PresentFrame(p.result, &p.device, 20000), 1);
    EXPECT_FALSE(p.Visible());
    EXPECT_EQ(p.object.elapsed.load(), 0) << "no chunk rendered yet: the clock stands";
    EXPECT_NE(p.object.backgroundTexture, nullptr) << "the background is prepared meanwhile";
}

TEST(TimelineClock, DisplayStartsOnceEnoughTextIsInTheTexture)
{
    struct Case
    {
        int movement;
        int noMoreChunks;
        int needed;  // textCopied that starts the display
    };
    // The object is 400 x 100: a scroll ring is 600 wide with a lead of 100, a roll ring 150 high with 25.
    const Case cases[] = {
        {kMovementFixed, 0, 1},
        {kMovementScroll, 0, 500},
        {kMovementScroll, 1, 400},
        {kMovementRoll, 0, 125},
        {kMovementRoll, 1, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.movement * 10 + c.noMoreChunks);
        PresentedObject p;
        p.object.movement = c.movement;
        CFramePlayer(p.object).Play();
        p.object.chunksRendered.store(1);
        p.object.hasText = 1;
        p.object.noMoreChunks.store(c.noMoreChunks);
        p.object.textCopied = c.needed - 1;
        ASSERT_EQ(p.Frame(), 1);
        EXPECT_FALSE(p.Visible());
        EXPECT_EQ(p.object.elapsed.load(), 0) << "the clock waits for the text";
        p.object.textCopied = c.needed;
        ASSERT_EQ(p.Frame(), 1);
        EXPECT_TRUE(p.result.textTexture != nullptr);
        EXPECT_EQ(p.object.displayStarted, 1);
        EXPECT_EQ(p.object.elapsed.load(), 20);
    }
}

TEST(TimelineClock, AnOpenEndedObjectRunsForMonths)
{
    PresentedObject p;
    p.object.startDelay = 100;
    CFramePlayer(p.object).Play();
    p.Frame();
    p.object.elapsed.store((1 << 30) - 10);
    // Frames of 2000 s each: 1000 of them are 23 days, more than the clock could hold.
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(p.Frame(2'000'000'000), 1);
        ASSERT_GT(p.object.elapsed.load(), 1 << 29);
        ASSERT_LE(p.object.elapsed.load(), 1 << 30);
    }
    EXPECT_TRUE(p.Visible());
    EXPECT_EQ(p.result.destRect, (FloatRect{100, 50, 500, 150}));
}

TEST(TimelinePhase, Table)
{
    CFrame o;
    o.startDelay = 2000;
    o.inDuration = 500;
    o.inEffect = 3;
    o.outDuration = 500;
    o.outEffect = 7;
    o.fadeIn = 1;
    struct Case
    {
        int t, endTime;
        Phase phase;
        int effect;
        float progress;
    };
    const Case cases[] = {
        {0, 0, Phase::Delay, 0, 0},         {1999, 5000, Phase::Delay, 0, 0},  {2000, 5000, Phase::In, 3, 0},
        {2250, 5000, Phase::In, 3, 0.5f},   {2500, 5000, Phase::Show, 0, 1},   {4500, 5000, Phase::Show, 0, 1},
        {4501, 5000, Phase::Out, 7, 0.998f}, {4750, 5000, Phase::Out, 7, 0.5f}, {5000, 5000, Phase::Finished, 0, 0},
        {9999999, 0, Phase::Show, 0, 1},    {2100, 2300, Phase::In, 3, 0.2f},  // cut off during the in effect
    };
    for (const Case& c : cases) {
        const PhaseState s = DeterminePhase(o, c.t, c.endTime);
        EXPECT_EQ(s.phase, c.phase) << c.t;
        EXPECT_EQ(s.effect, c.effect) << c.t;
        EXPECT_NEAR(s.progress, c.progress, 1e-6) << c.t;
    }
}

}  // namespace
