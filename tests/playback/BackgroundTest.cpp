#include "PresentedObject.h"

#include "content/FramePlayer.h"
#include "playback/AnimationFrame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// An animation of `count` frames of 4 x 2 texels, frame i filled with i + 1;
// even frames kept raw, odd ones run-length compressed.
void MakeAnimation(CFrame& o, int count, int durationMs)
{
    o.backgroundType = kBackgroundPicture;
    o.backgroundWidth = 4;
    o.backgroundHeight = 2;
    o.backgroundFrames.resize(size_t(count));
    for (int i = 0; i < count; ++i) {
        CCompressedPicture& picture = o.backgroundFrames[size_t(i)].picture;
        if (i % 2 == 0) {
            picture.SetRaw(4, 2, std::vector<uint32_t>(8, uint32_t(i + 1)));
        } else {
            CPicture source;
            source.Resize(4, 2);
            std::fill(source.pixels.begin(), source.pixels.end(), uint32_t(i + 1));
            picture = CCompressedPicture(source);
            EXPECT_NE(picture.compressedSize, CCompressedPicture::kRaw);
        }
        o.backgroundFrames[size_t(i)].duration = durationMs;
    }
}

uint32_t ShownTexel(const PresentedObject& p)
{
    return static_cast<const CMemoryTexture*>(p.object.backgroundTexture.get())->Texel(3, 1);
}

// The frame shown at each output frame of 20 ms.
std::vector<int> FramesShown(PresentedObject& p, int outputFrames)
{
    std::vector<int> shown;
    for (int i = 0; i < outputFrames; ++i) {
        p.Frame();
        shown.push_back(p.object.animationFrame);
        EXPECT_EQ(ShownTexel(p), uint32_t(p.object.animationFrame + 1)) << "frame " << i;
    }
    return shown;
}

TEST(Animation, ShortFramesAdvanceOnePerOutputFrame)
{
    PresentedObject p;
    MakeAnimation(p.object, 4, 10);
    CFramePlayer(p.object).Play();
    EXPECT_EQ(FramesShown(p, 6), (std::vector<int>{0, 1, 2, 3, 0, 1}));
    const auto* texture = static_cast<const CMemoryTexture*>(p.object.backgroundTexture.get());
    EXPECT_EQ(texture->writes, 6) << "a frame is uploaded when it changes";
}

TEST(Animation, FramesKeepTheirDuration)
{
    PresentedObject p;
    MakeAnimation(p.object, 3, 50);
    CFramePlayer(p.object).Play();
    EXPECT_EQ(FramesShown(p, 8), (std::vector<int>{0, 0, 0, 1, 1, 1, 2, 2}));
    EXPECT_EQ(static_cast<const CMemoryTexture*>(p.object.backgroundTexture.get())->writes, 3);
}

TEST(Animation, WithoutLoopingStaysOnTheLastFrame)
{
    PresentedObject p;
    MakeAnimation(p.object, 3, 20);
    p.object.loopAnimation = 0;
    CFramePlayer(p.object).Play();
    EXPECT_EQ(FramesShown(p, 6), (std::vector<int>{0, 1, 2, 2, 2, 2}));
}

TEST(Animation, HoldsDuringTheDelayAndWhilePaused)
{
    PresentedObject p;
    MakeAnimation(p.object, 3, 40);
    p.object.startDelay = 60;
    CFramePlayer(p.object).Play();
    // Frame 0 through the delay (0, 20, 40 ms), then its full 40 ms after it.
    EXPECT_EQ(FramesShown(p, 6), (std::vector<int>{0, 0, 0, 0, 0, 1}));
    CFramePlayer(p.object).TogglePause();
    EXPECT_EQ(FramesShown(p, 5), (std::vector<int>{1, 1, 1, 1, 1}));
    CFramePlayer(p.object).TogglePause();
    EXPECT_EQ(FramesShown(p, 3), (std::vector<int>{1, 2, 2}));
}

TEST(Animation, RepeatStartsFromTheFirstFrame)
{
    PresentedObject p;
    MakeAnimation(p.object, 3, 20);
    p.object.repeat = 1;
    p.object.showIndefinitely = 0;
    p.object.showFor = 60;
    CFramePlayer(p.object).Play();
    EXPECT_EQ(FramesShown(p, 3), (std::vector<int>{0, 1, 2}));
    p.Frame();  // starts over, waiting for the text
    EXPECT_EQ(FramesShown(p, 2), (std::vector<int>{0, 1}));
}

TEST(Animation, ChoiceTable)
{
    CFrame o;
    MakeAnimation(o, 3, 100);
    struct Case
    {
        int current, currentStart, t, startDelay;
        bool loop;
        int expected;
    };
    const Case cases[] = {
        {-1, 0, 500, 0, true, 0},   {0, 0, 99, 0, true, 0},    {0, 0, 100, 0, true, 1},
        {2, 200, 300, 0, true, 0},  {2, 200, 300, 0, false, 2}, {1, 0, 50, 100, true, 0},   // in the delay
        {1, 100, 250, 50, true, 2}, {7, 0, 500, 0, true, 0},    // a stale frame number starts over
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseAnimationFrame(o.backgroundFrames, c.current, c.currentStart, c.t, c.startDelay, c.loop),
                  c.expected)
            << c.current << " at " << c.t;
    o.backgroundFrames.resize(1);
    EXPECT_EQ(ChooseAnimationFrame(o.backgroundFrames, 0, 0, 5000, 0, true), 0);
}

TEST(SolidBackground, EightByEightTexelsOfTheColour)
{
    PresentedObject p;
    p.object.backgroundColor = 0x80112233u;  // alpha 0x80, blue 0x11, green 0x22, red 0x33
    CFramePlayer(p.object).Play();
    ASSERT_EQ(p.Frame(), 1);
    const auto* texture = static_cast<const CMemoryTexture*>(p.object.backgroundTexture.get());
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->Width(), 8);
    EXPECT_EQ(texture->Height(), 8);
    for (const uint32_t texel : texture->Texels())
        ASSERT_EQ(texel, 0x80332211u);
    p.Frame();
    EXPECT_EQ(texture->writes, 1) << "filled once";
    EXPECT_EQ(p.result.backgroundTexture, texture);
    EXPECT_EQ(p.result.alpha, 255);
    EXPECT_EQ(p.result.destRect, (FloatRect{100, 50, 500, 150}));
    EXPECT_EQ(p.result.backgroundUV, (FloatRect{0, 0, 1, 1}));
}

TEST(SolidBackground, ADeviceWithoutTexturesStopsTheObject)
{
    PresentedObject p;
    CFramePlayer(p.object).Play();
    EXPECT_EQ(CFramePlayer(p.object).PresentFrame(p.result, nullptr, 20000), 0);
    CMemoryTextureDevice tiny(4);  // too small even for 8 x 8
    EXPECT_EQ(CFramePlayer(p.object).PresentFrame(p.result, &tiny, 20000), 0);
}

}  // namespace
