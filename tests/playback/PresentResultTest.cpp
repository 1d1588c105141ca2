#include "PresentedObject.h"

#include "content/FramePlayer.h"
#include "playback/EffectGeometry.h"

#include <gtest/gtest.h>

namespace {

// An object fading in with a 1 s in effect, run to `t` ms and drawn once.
class Presenting : public testing::Test
{
protected:
    Presenting()
    {
        p.object.inDuration = 1000;
        p.object.fadeIn = 1;
    }

    void DrawAt(int t)
    {
        CFramePlayer(p.object).Play();
        p.RunTo(t);
        ASSERT_EQ(p.Frame(), 1);
    }

    // What the text thread hands over for a fixed object with text.
    void GiveText()
    {
        p.object.chunksRendered.store(1);
        p.object.hasText = 1;
        p.object.textCopied = 1;
    }

    PresentedObject p;
};

TEST_F(Presenting, FadeFollowsTheProgress)
{
    DrawAt(500);
    EXPECT_EQ(p.result.alpha, 127);
    EXPECT_NE(p.result.backgroundTexture, nullptr);
}

TEST_F(Presenting, NothingAtOpacityZero)
{
    DrawAt(0);
    EXPECT_EQ(p.result.alpha, 0);
    EXPECT_FALSE(p.Visible());
}

TEST_F(Presenting, ClearSolidBackgroundDrawsOnlyTheText)
{
    p.object.backgroundColor = 0x00FFFFFFu;
    CFramePlayer(p.object).Play();
    GiveText();
    p.RunTo(1000);
    ASSERT_EQ(p.Frame(), 1);
    EXPECT_EQ(p.result.backgroundTexture, nullptr);
    ASSERT_NE(p.result.textTexture, nullptr);
    EXPECT_EQ(p.result.textTexture->Width(), 400);
    EXPECT_EQ(p.result.textTexture->Height(), 100);
    EXPECT_EQ(p.result.textUV, p.result.backgroundUV);
}

TEST_F(Presenting, DamagedEffectNumberDrawsNothingDuringItsEffect)
{
    p.object.inEffect = 31;
    p.object.fadeIn = 0;
    DrawAt(500);
    EXPECT_FALSE(p.Visible());
    p.RunTo(1000);
    p.Frame();
    EXPECT_TRUE(p.Visible()) << "the show phase draws the object";
}

TEST(BarGraph, ShowsTheFractionTheSourceGives)
{
    struct Case
    {
        CRect rect;
        int inEffect;
        int barValue;
        FloatRect dest;
    };
    const Case cases[] = {
        // Taller than wide: the bar grows from the bottom.
        {{0, 0, 100, 400}, kEffectCut, 51, {0, 200, 100, 400}},
        // Otherwise from the left.
        {{0, 0, 400, 100}, kEffectCut, 26, {0, 0, 100, 100}},
        {{0, 0, 400, 100}, kEffectCut, 101, {0, 0, 400, 100}},
        // The in effect, when there is one, draws the bar.
        {{0, 0, 400, 100}, kEffectSlideLeft + 1, 51, {200, 0, 400, 100}},
        // Not read yet: nothing.
        {{0, 0, 400, 100}, kEffectCut, 0, {0, 0, 0, 100}},
        {{0, 0, 400, 100}, kEffectCut, 1, {0, 0, 0, 100}},
    };
    for (const Case& c : cases) {
        PresentedObject p;
        p.object.rect = c.rect;
        p.object.textSource = kSourceTextFile;
        p.object.barGraph = 1;
        p.object.inEffect = c.inEffect;
        p.object.barValue.store(c.barValue);
        CFramePlayer(p.object).Play();
        ASSERT_EQ(p.Frame(), 1);
        EXPECT_EQ(p.result.destRect, c.dest) << c.barValue << " in effect " << c.inEffect;
    }
}

TEST(BarGraph, KeepsItsLengthThroughInAndOutEffects)
{
    PresentedObject p;
    p.object.rect = {0, 0, 400, 100};
    p.object.textSource = kSourceTextFile;
    p.object.barGraph = 1;
    p.object.barValue.store(51);
    p.object.inDuration = 1000;
    p.object.fadeIn = 1;
    p.object.outDuration = 1000;
    p.object.outEffect = 7;  // ignored: a bar leaves the way it came
    CFramePlayer(p.object).Play();
    p.RunTo(500);
    p.Frame();
    EXPECT_EQ(p.result.destRect, (FloatRect{0, 0, 100, 100})) << "half of the half bar";
    EXPECT_EQ(p.result.alpha, 127) << "the fade follows the in effect, not the bar";
    p.RunTo(2000);
    CFramePlayer(p.object).End();
    p.RunTo(2500);
    p.Frame();
    EXPECT_EQ(p.result.destRect, (FloatRect{0, 0, 100, 100}));
    EXPECT_EQ(p.result.alpha, 255);
}

// The flag stays when the source changes; only a text file gives a bar.
TEST(BarGraph, OtherSourcesDrawTheWholeObject)
{
    for (const int source : {kSourceObjectText, kSourceClock, kSourceRtfFile, kSourceCsvFile, kSourceTimer}) {
        PresentedObject p;
        p.object.rect = {0, 0, 400, 100};
        p.object.textSource = source;
        p.object.barGraph = 1;  // no value read: a bar would be empty
        CFramePlayer(p.object).Play();
        ASSERT_EQ(p.Frame(), 1);
        EXPECT_EQ(p.result.destRect, (FloatRect{0, 0, 400, 100})) << "source " << source;
        EXPECT_TRUE(p.Visible()) << "source " << source;
    }
}

}  // namespace
