#include "PresentedObject.h"

#include "content/FramePlayer.h"
#include "playback/EffectGeometry.h"
#include "playback/Movement.h"

#include <gtest/gtest.h>

namespace {

TEST(Movement, SpeedRule)
{
    struct Case
    {
        int deltaMicros, framePeriod, speed, pixels;
    };
    const Case cases[] = {
        {20000, 20000, kSpeedSlow, 1},
        {20000, 20000, kSpeedMid, 2},
        {20000, 20000, kSpeedFast, 3},
        {45000, 20000, kSpeedFast, 6},   // 45 ms late counts as two frames
        {29999, 20000, kSpeedSlow, 1},   // rounded to the nearest frame
        {30000, 20000, kSpeedSlow, 2},
        {5000, 20000, kSpeedFast, 3},    // an early frame still counts as one
        {0, 20000, kSpeedSlow, 1},
        {16667, 16667, kSpeedMid, 2},
        {50000, 16667, kSpeedSlow, 3},
        {20000, 20000, 99, 3},           // out-of-range speeds are held to the three
        {20000, 20000, -5, 1},
        {20000, 0, kSpeedSlow, 1},       // an object without a frame period
    };
    for (const Case& c : cases)
        EXPECT_EQ(MovementStep(c.deltaMicros, c.framePeriod, c.speed), c.pixels)
            << c.deltaMicros << " / " << c.framePeriod << " at " << c.speed;
}

TEST(Movement, TextTextureRing)
{
    struct Case
    {
        int movement, width, height;
        TextTextureGeometry expected;
    };
    const Case cases[] = {
        {kMovementFixed, 400, 100, {400, 100, 0}},
        {kMovementScroll, 400, 100, {600, 100, 100}},
        {kMovementRoll, 400, 100, {400, 150, 25}},
        {kMovementScroll, 1800, 60, {2048, 60, 124}},
        {kMovementRoll, 50, 101, {50, 151, 25}},
    };
    for (const Case& c : cases) {
        const TextTextureGeometry g = TextTextureFor(c.movement, c.width, c.height);
        EXPECT_EQ(g.width, c.expected.width) << c.movement << " " << c.width;
        EXPECT_EQ(g.height, c.expected.height) << c.movement << " " << c.width;
        EXPECT_EQ(g.moveLead, c.expected.moveLead) << c.movement << " " << c.width;
    }
}

TEST(Movement, WindowIntoTheRing)
{
    const FloatRect whole{0, 0, 1, 1};
    struct Case
    {
        FloatRect uv;
        bool vertical;
        int scrollPosition;
        bool reverse;
        float low, high;  // the window in the movement direction, in ring pixels
    };
    // A 400 pixel object in a 600 pixel ring.
    const Case cases[] = {
        {whole, false, 0, false, 0, 400},
        {whole, false, 300, false, 300, 700},  // runs past the ring's end: wrap-around
        {whole, false, 600, false, 0, 400},
        {whole, false, 0, true, 200, 600},     // reverse starts at (2 x 600 - 400) mod 600
        {whole, false, 10, true, 190, 590},    // and moves backwards
        {whole, true, 250, false, 250, 650},
        // Sliding in from the left: the window keeps the object's width of
        // text, only its visible part (100 pixels at a quarter) is drawn.
        {{0.75f, 0, 1, 1}, false, 0, false, 300, 400},
        {{0, 0.75f, 1, 1}, true, 50, false, 350, 450},
    };
    for (const Case& c : cases) {
        const FloatRect w = TextWindow(c.uv, c.vertical, 400, 600, c.scrollPosition, c.reverse);
        const float low = c.vertical ? w.top : w.left;
        const float high = c.vertical ? w.bottom : w.right;
        EXPECT_NEAR(low * 600, c.low, 1e-3) << c.scrollPosition << (c.reverse ? " reverse" : "");
        EXPECT_NEAR(high * 600, c.high, 1e-3) << c.scrollPosition << (c.reverse ? " reverse" : "");
        // The other direction keeps the effect's window.
        EXPECT_EQ(c.vertical ? w.left : w.top, c.vertical ? c.uv.left : c.uv.top);
        EXPECT_EQ(c.vertical ? w.right : w.bottom, c.vertical ? c.uv.right : c.uv.bottom);
    }
}

// A 400 x 100 object scrolling through a 600 pixel ring whose text the test
// writes by hand, as the text preparation would.
class Scrolling : public testing::Test
{
protected:
    Scrolling()
    {
        p.object.movement = kMovementScroll;
        CFramePlayer(p.object).Play();
        p.object.chunksRendered.store(1);
        p.object.hasText = 1;
        p.object.textCopied = 500;
    }

    PresentedObject p;
};

TEST_F(Scrolling, MovesWhileTextIsAheadOfTheWindow)
{
    for (int i = 0; i < 150; ++i)
        ASSERT_EQ(p.Frame(), 1);
    EXPECT_EQ(p.object.scrollPosition, 100) << "stops where the written text ends";
    EXPECT_EQ(p.object.textWriteRect.right, 100) << "the consumed mark follows the window";
    EXPECT_NEAR(p.result.textUV.left * 600, 100, 1e-3);
    EXPECT_EQ(p.object.textWaits, 50) << "each frame it stood still with more text due waited for the text thread";

    p.object.textCopied = 1100;  // more text arrives
    for (int i = 0; i < 600; ++i)
        p.Frame();
    EXPECT_EQ(p.object.scrollPosition, 700);
    EXPECT_EQ(p.object.textWriteRect.right, 100) << "the mark wraps with the ring";
    EXPECT_NEAR(p.result.textUV.left * 600, 100, 1e-3);
    EXPECT_EQ(p.object.endTime.load(), 0) << "without show-while-moving the object stays";
}

TEST_F(Scrolling, MovesForMonthsWithoutOverflow)
{
    p.Frame();
    p.object.scrollPosition = (1 << 30) - 1;
    p.object.textCopied = (1 << 30) + 1000;
    p.Frame();
    EXPECT_LT(p.object.scrollPosition, 1 << 30) << "the counters drop by whole turns of the ring";
    EXPECT_EQ(p.object.textCopied - p.object.scrollPosition, 1000) << "the text ahead stays the same";
    EXPECT_NEAR(p.result.textUV.left * 600, (1 << 30) % 600, 1e-2) << "and so does the window";
}

TEST_F(Scrolling, LateFramesAndPause)
{
    p.object.speed = kSpeedFast;
    p.Frame(45000);
    EXPECT_EQ(p.object.scrollPosition, 6);
    CFramePlayer(p.object).TogglePause();
    for (int i = 0; i < 10; ++i)
        p.Frame();
    EXPECT_EQ(p.object.scrollPosition, 6);
    EXPECT_NEAR(p.result.textUV.left * 600, 6, 1e-3) << "a paused object is drawn where it stopped";
    CFramePlayer(p.object).TogglePause();
    p.Frame();
    EXPECT_EQ(p.object.scrollPosition, 9);
}

TEST_F(Scrolling, ShowWhileMovingLeavesWhenTheTextHasRunThrough)
{
    p.object.StopOutput();
    p.object.showWhileMoving = 1;
    p.object.showIndefinitely = 0;
    p.object.showFor = 1000;  // ignored: the text sets the time
    p.object.outDuration = 200;
    p.object.outEffect = kEffectRevealLeft;
    CFramePlayer(p.object).Play();
    EXPECT_EQ(p.object.endTime.load(), 0);
    p.object.chunksRendered.store(1);
    p.object.hasText = 1;
    p.object.textCopied = 2000;
    p.object.noMoreChunks.store(1);

    int frames = 0;
    while (p.object.playing.load() && frames < 10000) {
        p.Frame();
        ++frames;
    }
    EXPECT_FALSE(p.object.playing.load());
    // 1600 frames bring the end of the text to the window's far edge, the
    // next finds nothing left and ends the object, nine frames show the 200
    // ms out effect and the one after it finds the object finished.
    EXPECT_EQ(p.object.scrollPosition, 1600);
    EXPECT_EQ(frames, 1600 + 1 + 9 + 1);
    EXPECT_EQ(p.object.textWaits, 0) << "the end of a text is no wait for more";
}

TEST(MovementStartFromEdge, TheRingStartsWithBlankSpace)
{
    PresentedObject p;
    p.object.movement = kMovementRoll;
    p.object.startFromEdge = 1;
    CFramePlayer(p.object).Play();
    EXPECT_EQ(p.object.leadDone, 0) << "the text preparation puts an object's height of blank space first";
    p.object.StopOutput();
    p.object.movement = kMovementFixed;
    CFramePlayer(p.object).Play();
    EXPECT_EQ(p.object.leadDone, 1) << "only moving text starts from the edge";
}

}  // namespace
