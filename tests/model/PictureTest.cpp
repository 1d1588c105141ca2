#include "model/Picture.h"

#include <gtest/gtest.h>

namespace {

CPicture Solid(int w, int h, uint32_t pixel)
{
    CPicture p(w, h);
    std::fill(p.pixels.begin(), p.pixels.end(), pixel);
    return p;
}

uint32_t At(const CPicture& p, int x, int y)
{
    return p.Row(y)[x];
}

TEST(Picture, FillSwapsRedAndBlueAndClips)
{
    CPicture p = Solid(8, 4, 0);
    p.Fill(10, 0x80112233u, 3, 6, -2);  // 3 x 10 at (6, -2): clipped to 2 x 4 at (6, 0)
    EXPECT_EQ(At(p, 6, 0), 0x80332211u);
    EXPECT_EQ(At(p, 7, 3), 0x80332211u);
    EXPECT_EQ(At(p, 5, 0), 0u);
    p.Fill(0, 0xFF0000FFu);  // 0 rows and columns: everything
    for (uint32_t v : p.pixels)
        ASSERT_EQ(v, 0xFFFF0000u);
}

TEST(Picture, BlitCopiesAndBlendsWithinBothPictures)
{
    CPicture destination = Solid(4, 4, 0x40000000u);
    CPicture source = Solid(3, 3, 0xFF102030u);
    source.Row(1)[1] = 0x80FF0000u;  // red 255, half transparent
    source.Row(2)[2] = 0x00FFFFFFu;  // transparent: skipped when blending

    CPicture copied = destination;
    copied.Blit(source, -1, -1, 10, 10, 0, 0, 0);  // clipped at both pictures
    EXPECT_EQ(At(copied, 0, 0), 0x80FF0000u);  // source (1, 1)
    EXPECT_EQ(At(copied, 1, 1), 0x00FFFFFFu);
    EXPECT_EQ(At(copied, 2, 2), 0x40000000u);  // beyond the source

    CPicture blended = Solid(4, 4, 0x40000000u);
    blended.Blit(source, 0, 0, 3, 3, 0, 0, 1);
    EXPECT_EQ(At(blended, 0, 0), 0xFF102030u);
    // red (255 * 128 + 0 * 127) / 255 = 128; alpha max(0x40, 0x80)
    EXPECT_EQ(At(blended, 1, 1), 0x80800000u);
    EXPECT_EQ(At(blended, 2, 2), 0x40000000u);

    CPicture untouched = destination;
    untouched.Blit(source, 0, 0, 3, 3, 0, 0, 2);
    EXPECT_EQ(untouched.pixels, destination.pixels);
}

TEST(Picture, StretchTakesTheNearestSourcePixel)
{
    CPicture source(3, 1);
    source.pixels = {1, 2, 3};
    CPicture target = Solid(8, 2, 9);
    target.StretchFrom(source, 7, 2);
    // x * 3 / 7: 0 0 0 1 1 2 2; column 7 stays
    EXPECT_EQ(std::vector<uint32_t>(target.pixels.begin(), target.pixels.begin() + 8),
              (std::vector<uint32_t>{1, 1, 1, 2, 2, 3, 3, 9}));
    EXPECT_EQ(At(target, 6, 1), 3u);
}

TEST(Picture, CombineBlackWhiteRecoversColourAndAlpha)
{
    struct Case
    {
        uint32_t black, white;
        int opacity;
        uint32_t expected;
    };
    const Case cases[] = {
        {0xFF204060u, 0xFF204060u, 255, 0xFF204060u},  // opaque: both renders agree
        {0xFF000000u, 0xFFFFFFFFu, 255, 0x00000000u},  // nothing drawn
        // half covered white text: black render 128, white render 255;
        // colour 128 * 256 / 129 = 254
        {0xFF808080u, 0xFFFFFFFFu, 255, 0x80FEFEFEu},
        {0xFF808080u, 0xFFFFFFFFu, 128, 0x40FEFEFEu},  // 128 / 255 * 128 = 64.25
    };
    for (const Case& c : cases) {
        CPicture black = Solid(2, 1, c.black), white = Solid(3, 2, c.white), result;
        result.CombineBlackWhite(white, black, c.opacity);
        ASSERT_EQ(result.width, 2);
        ASSERT_EQ(result.height, 1);
        EXPECT_EQ(At(result, 1, 0), c.expected) << std::hex << c.black << " " << c.white << " " << c.opacity;
    }
}

TEST(Picture, CheckerboardStartsDarkAtTheTopLeft)
{
    CPicture p(40, 40);
    p.Checkerboard();
    EXPECT_EQ(At(p, 0, 0), 0xFF707070u);
    EXPECT_EQ(At(p, 15, 15), 0xFF707070u);
    EXPECT_EQ(At(p, 16, 0), 0xFFA0A0A0u);
    EXPECT_EQ(At(p, 0, 16), 0xFFA0A0A0u);
    EXPECT_EQ(At(p, 16, 16), 0xFF707070u);
}

TEST(Picture, AddToChannelsClampsAndKeepsAlpha)
{
    CPicture p = Solid(4, 4, 0x80F00510u);
    p.AddToChannels(20, CRect{-5, 2, 2, 100});
    EXPECT_EQ(At(p, 0, 2), 0x80FF1924u);
    EXPECT_EQ(At(p, 2, 2), 0x80F00510u);
    EXPECT_EQ(At(p, 0, 1), 0x80F00510u);
    p.AddToChannels(-20, CRect{0, 0, 1, 1});
    EXPECT_EQ(At(p, 0, 0), 0x80DC0000u);
}

TEST(Picture, HalveSizeAveragesTwoByTwoBlocks)
{
    CPicture p(5, 3);  // odd sizes: the last column and row drop out
    std::fill(p.pixels.begin(), p.pixels.end(), 0xFFFFFFFFu);
    p.Row(0)[0] = 0x00000000u;
    p.Row(0)[1] = 0x04040404u;
    p.Row(1)[0] = 0x08080808u;
    p.Row(1)[1] = 0x03030303u;
    p.HalveSize();
    ASSERT_EQ(p.width, 2);
    ASSERT_EQ(p.height, 1);
    EXPECT_EQ(At(p, 0, 0), 0x03030303u);  // (0 + 4 + 8 + 3) >> 2
    EXPECT_EQ(At(p, 1, 0), 0xFFFFFFFFu);
}

TEST(Picture, CropPadsBeyondTheSourceWithTransparency)
{
    CPicture source = Solid(3, 2, 0xFF123456u);
    CPicture crop;
    crop.CropFrom(4, 3, source);
    EXPECT_EQ(At(crop, 2, 1), 0xFF123456u);
    EXPECT_EQ(At(crop, 3, 0), 0u);
    EXPECT_EQ(At(crop, 0, 2), 0u);
}

}  // namespace
