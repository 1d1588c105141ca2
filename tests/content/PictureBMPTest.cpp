#include "content/PictureBMP.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

TEST(PictureBMP, PaintingLandsInThePictureBuffer)
{
    CPictureBMP picture(8, 4);
    picture.Fill(0, 0x00000000u);
    {
        QPainter painter(&picture.Image());
        painter.fillRect(QRect(2, 1, 3, 2), QColor(0x11, 0x22, 0x33, 0xFF));
    }
    // Bytes B, G, R, A: the pixel value 0xAARRGGBB.
    EXPECT_EQ(picture.Row(1)[2], 0xFF112233u);
    EXPECT_EQ(picture.Row(2)[4], 0xFF112233u);
    EXPECT_EQ(picture.Row(0)[2], 0u);
    EXPECT_EQ(picture.Image().constBits(), reinterpret_cast<const uchar*>(picture.pixels.data()));
}

TEST(PictureBMP, ImageFollowsTheBufferAndCopiesAreSeparate)
{
    CPictureBMP picture(4, 4);
    picture.Fill(0, 0xFF0000FFu);
    CPictureBMP copy = picture;
    copy.Image().setPixel(0, 0, 0xFF00FF00u);
    EXPECT_EQ(copy.Row(0)[0], 0xFF00FF00u);
    EXPECT_EQ(picture.Row(0)[0], 0xFFFF0000u);

    picture.HalveSize();
    EXPECT_EQ(picture.Image().width(), 2);
    EXPECT_EQ(picture.Image().constBits(), reinterpret_cast<const uchar*>(picture.pixels.data()));
    EXPECT_EQ(picture.Image().pixel(1, 1), 0xFFFF0000u);
}

}  // namespace
