#include "model/Frame.h"

#include <gtest/gtest.h>

namespace {

CPicture Picture(int w, int h, uint32_t pixel)
{
    CPicture p(w, h);
    std::fill(p.pixels.begin(), p.pixels.end(), pixel);
    return p;
}

CPicture Frame0(const CFrame& object, size_t index)
{
    CPicture out;
    object.backgroundFrames.at(index).picture.Decompress(out);
    return out;
}

TEST(FrameBackgrounds, IdenticalConsecutiveFramesBecomeOneLongerFrame)
{
    CFrame object;
    EXPECT_EQ(object.AddBackgroundFrame(1080, Picture(64, 32, 0xFF0000FFu), 1920, 40), 1);
    EXPECT_EQ(object.AddBackgroundFrame(1080, Picture(64, 32, 0xFF0000FFu), 1920, 40), 1);
    ASSERT_EQ(object.backgroundFrames.size(), 1u);
    EXPECT_EQ(object.backgroundFrames[0].duration, 80);
    EXPECT_EQ(object.AddBackgroundFrame(1080, Picture(64, 32, 0xFF00FF00u), 1920, 40), 1);
    EXPECT_EQ(object.backgroundFrames.size(), 2u);
}

TEST(FrameBackgrounds, FirstFrameSetsTheCommonSizeWithinTheLimits)
{
    struct Case
    {
        int pictureWidth, pictureHeight;
        int expectedWidth, expectedHeight;
    };
    const Case cases[] = {
        {2500, 1200, 1920, 1080},  // cropped to the canvas
        {8, 4, 16, 16},            // at least 16 x 16, padded with transparency
        {640, 360, 640, 360},
    };
    for (const Case& c : cases) {
        CFrame object;
        CPicture picture = Picture(c.pictureWidth, c.pictureHeight, 0xFF112233u);
        picture.Row(0)[0] = 0xFF445566u;
        ASSERT_EQ(object.AddBackgroundFrame(1080, picture, 1920, 20), 1);
        EXPECT_EQ(object.backgroundWidth, c.expectedWidth);
        EXPECT_EQ(object.backgroundHeight, c.expectedHeight);
        const CPicture stored = Frame0(object, 0);
        ASSERT_EQ(stored.width, c.expectedWidth);
        EXPECT_EQ(stored.Row(0)[0], 0xFF445566u);
        const uint32_t corner = stored.Row(c.expectedHeight - 1)[c.expectedWidth - 1];
        EXPECT_EQ(corner, c.pictureWidth < c.expectedWidth ? 0u : 0xFF112233u);
    }
}

TEST(FrameBackgrounds, LaterFramesAreCroppedToTheFirst)
{
    CFrame object;
    object.AddBackgroundFrame(1080, Picture(32, 32, 0xFF000001u), 1920, 20);
    object.AddBackgroundFrame(1080, Picture(100, 20, 0xFF000002u), 1920, 20);
    const CPicture second = Frame0(object, 1);
    EXPECT_EQ(second.width, 32);
    EXPECT_EQ(second.height, 32);
    EXPECT_EQ(second.Row(19)[31], 0xFF000002u);
    EXPECT_EQ(second.Row(20)[0], 0u);
}

TEST(FrameBackgrounds, TheThousandAndFirstFrameIsRefused)
{
    CFrame object;
    for (int i = 0; i < kMaxBackgroundFrames; ++i)
        ASSERT_EQ(object.AddBackgroundFrame(1080, Picture(16, 16, uint32_t(i)), 1920, 20), 1);
    EXPECT_EQ(object.AddBackgroundFrame(1080, Picture(16, 16, 0xFFFFFFFFu), 1920, 20), 0);
    EXPECT_EQ(object.backgroundFrames.size(), size_t(kMaxBackgroundFrames));
}

}  // namespace
