#include "PictureFixtures.h"

#include "content/PictureDecoder.h"
#include "content/PictureFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>

using namespace fixtures;

namespace {

struct Decoded
{
    int ok = 0;
    int frameCount = 0;
    CPictureDecoder::Frame frame;
};

Decoded Decode(const QByteArray& bytes, int index = 0)
{
    CPictureDecoder decoder(bytes);
    Decoded d;
    d.frameCount = decoder.FrameCount();
    d.ok = decoder.Decode(index, d.frame);
    return d;
}

uint32_t Px(const Decoded& d, int x, int y)
{
    return d.frame.picture.Row(y)[x];
}

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

// Every BMP depth, both row orders: the same 3 x 2 picture.
TEST(PictureDecoder, BmpDepthsAndRowOrders)
{
    // Top row: red, green, blue; bottom row: white, black, red.
    const std::vector<uint32_t> palette = {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00FFFFFF, 0x00000000};
    const uint32_t expected[2][3] = {{0xFFFF0000, 0xFF00FF00, 0xFF0000FF}, {0xFFFFFFFF, 0xFF000000, 0xFFFF0000}};
    struct Case
    {
        const char* name;
        int bits;
        std::vector<QByteArray> rows;
        std::vector<uint32_t> palette;
    };
    const std::vector<Case> cases = {
        {"8-bit", 8, {Bytes({0, 1, 2}), Bytes({3, 4, 0})}, palette},
        {"4-bit", 4, {Bytes({0x01, 0x20}), Bytes({0x34, 0x00})}, palette},
        {"24-bit", 24, {Bytes({0, 0, 255, 0, 255, 0, 255, 0, 0}), Bytes({255, 255, 255, 0, 0, 0, 0, 0, 255})}, {}},
        {"32-bit without alpha",
         32,
         {Bytes({0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0}), Bytes({255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 255, 0})},
         {}},
    };
    for (const Case& c : cases) {
        for (bool topDown : {false, true}) {
            const Decoded d = Decode(Bmp(3, 2, c.bits, c.rows, c.palette, topDown));
            ASSERT_EQ(d.ok, 1) << c.name;
            EXPECT_FALSE(d.frame.hasAlpha) << c.name;
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < 3; ++x)
                    EXPECT_EQ(Px(d, x, y), expected[y][x]) << c.name << " top-down " << topDown << " at " << x << "," << y;
        }
    }
    // 1 bit: black and white.
    const Decoded mono = Decode(Bmp(10, 1, 1, {Bytes({0xA0, 0x40})}, {0x000000, 0xFFFFFF}));
    ASSERT_EQ(mono.ok, 1);
    EXPECT_EQ(Px(mono, 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(Px(mono, 1, 0), 0xFF000000u);
    EXPECT_EQ(Px(mono, 9, 0), 0xFFFFFFFFu);
}

TEST(PictureDecoder, Bmp32KeepsAlphaWhenPresent)
{
    const Decoded d = Decode(Bmp(2, 1, 32, {Bytes({10, 20, 30, 128, 1, 2, 3, 0})}));
    ASSERT_EQ(d.ok, 1);
    EXPECT_TRUE(d.frame.hasAlpha);
    EXPECT_EQ(Px(d, 0, 0), 0x801E140Au);
    EXPECT_EQ(Px(d, 1, 0), 0x00030201u);
}

TEST(PictureDecoder, TgaKindsAndOrigins)
{
    // 2 x 2: top row blue, green; bottom row red, white (as B, G, R bytes).
    const QByteArray bottomUp24 = Bytes({0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255, 0});
    const QByteArray topDown32 = Bytes({255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 255, 255, 255, 255, 255});
    // RLE: a run of 2 (white, red reversed order below), then 2 raw pixels.
    const QByteArray rle24 = Bytes({0x81, 255, 255, 255, 0x01, 255, 0, 0, 0, 255, 0});
    struct Case
    {
        const char* name;
        QByteArray file;
        uint32_t topLeft, topRight, bottomLeft, bottomRight;
        bool alpha;
    };
    const Case cases[] = {
        {"24-bit bottom-up", Tga(2, 2, 2, 24, 0, bottomUp24), 0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFFFFFFFF, false},
        {"32-bit top-down with alpha", Tga(2, 2, 2, 32, 0x28, topDown32), 0xFF0000FF, 0x8000FF00, 0xFFFF0000,
         0xFFFFFFFF, true},
        {"RLE bottom-up", Tga(10, 2, 2, 24, 0, rle24), 0xFF0000FF, 0xFF00FF00, 0xFFFFFFFF, 0xFFFFFFFF, false},
        {"grey", Tga(3, 2, 2, 8, 0x20, Bytes({0, 255, 128, 64})), 0xFF000000, 0xFFFFFFFF, 0xFF808080, 0xFF404040,
         false},
        {"colour-mapped", Tga(1, 2, 2, 8, 0x20, Bytes({0, 0, 255, 255, 0, 0, 0, 1, 1, 0}), 2, 24), 0xFFFF0000,
         0xFF0000FF, 0xFF0000FF, 0xFFFF0000, false},
    };
    for (const Case& c : cases) {
        const Decoded d = Decode(c.file);
        ASSERT_EQ(d.ok, 1) << c.name;
        EXPECT_EQ(d.frame.hasAlpha, c.alpha) << c.name;
        EXPECT_EQ(Px(d, 0, 0), c.topLeft) << c.name;
        EXPECT_EQ(Px(d, 1, 0), c.topRight) << c.name;
        EXPECT_EQ(Px(d, 0, 1), c.bottomLeft) << c.name;
        EXPECT_EQ(Px(d, 1, 1), c.bottomRight) << c.name;
    }
}

TEST(PictureDecoder, PngKinds)
{
    QImage rgba(4, 3, QImage::Format_ARGB32);
    rgba.fill(0x80112233u);
    rgba.setPixel(1, 2, 0xFFAABBCCu);
    QImage deep = rgba.convertToFormat(QImage::Format_RGBA64);
    QImage grey(4, 3, QImage::Format_Grayscale8);
    grey.fill(0x40);
    QImage indexed(4, 3, QImage::Format_Indexed8);
    indexed.setColorTable({0xFF102030u, 0x00000000u});
    indexed.fill(0);
    indexed.setPixel(3, 0, 1);
    struct Case
    {
        const char* name;
        QImage image;
        uint32_t at00, at12;
        bool alpha;
    };
    const Case cases[] = {
        {"RGBA", rgba, 0x80112233u, 0xFFAABBCCu, true},
        {"16-bit", deep, 0x80112233u, 0xFFAABBCCu, true},
        {"grey", grey, 0xFF404040u, 0xFF404040u, false},
        {"palette with transparency", indexed, 0xFF102030u, 0xFF102030u, true},
    };
    for (const Case& c : cases) {
        const QByteArray file = Encoded(c.image, "PNG");
        const Decoded d = Decode(file);
        ASSERT_EQ(d.ok, 1) << c.name;
        EXPECT_EQ(d.frame.picture.width, 4);
        EXPECT_EQ(d.frame.picture.height, 3);
        EXPECT_EQ(d.frame.hasAlpha, c.alpha) << c.name;
        EXPECT_EQ(Px(d, 0, 0), c.at00) << c.name;
        EXPECT_EQ(Px(d, 1, 2), c.at12) << c.name;
    }
    const Decoded indexedDecoded = Decode(Encoded(indexed, "PNG"));
    EXPECT_EQ(Px(indexedDecoded, 3, 0) >> 24, 0u);
}

TEST(PictureDecoder, JpegDecodesCloseToTheSource)
{
    const Decoded d = Decode(Encoded(SolidImage(16, 8, 0xFF3080C0u), "JPG", 95));
    ASSERT_EQ(d.ok, 1);
    EXPECT_EQ(d.frame.picture.width, 16);
    const uint32_t p = Px(d, 5, 5);
    EXPECT_EQ(p >> 24, 0xFFu);
    EXPECT_NEAR(int((p >> 16) & 0xFF), 0x30, 3);
    EXPECT_NEAR(int((p >> 8) & 0xFF), 0x80, 3);
    EXPECT_NEAR(int(p & 0xFF), 0xC0, 3);
}

// Frames composed as browsers do: the disposal of the frame before, the
// transparent colour, frames smaller than the screen.
TEST(PictureDecoder, GifFramesAreComposed)
{
    const std::vector<uint32_t> colours = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    std::vector<GifFrame> frames(4);
    frames[0] = {0, 0, 4, 2, std::vector<uint8_t>(8, 0), 5, 1, -1};                // red, keep
    frames[1] = {1, 0, 2, 2, {1, 3, 3, 1}, 0, 2, 3};                                 // green where not transparent; clear after
    frames[2] = {0, 0, 1, 1, {2}, 7, 3, -1, true};                                   // blue corner, restore after
    frames[3] = {3, 1, 1, 1, {3}, 7, 0, -1};                                         // white corner
    const QByteArray file = Gif(4, 2, colours, frames);
    CPictureDecoder decoder(file);
    ASSERT_EQ(decoder.FrameCount(), 4);
    const uint32_t R = 0xFFFF0000u, G = 0xFF00FF00u, B = 0xFF0000FFu, W = 0xFFFFFFFFu, T = 0;
    const std::vector<std::vector<uint32_t>> expected = {
        {R, R, R, R, R, R, R, R},
        {R, G, R, R, R, R, G, R},
        {B, T, T, R, R, T, T, R},  // frame 1's area cleared
        {R, T, T, R, R, T, T, W},  // frame 2 restored what was before it
    };
    const int delays[] = {50, 100, 70, 70};  // no delay shows for 100 ms
    for (int round = 0; round < 2; ++round) {  // in order, then again from the start
        for (int i = 0; i < 4; ++i) {
            CPictureDecoder::Frame frame;
            ASSERT_EQ(decoder.Decode(i, frame), 1) << i;
            EXPECT_TRUE(frame.hasAlpha);
            EXPECT_EQ(frame.delayMs, delays[i]);
            EXPECT_EQ(frame.picture.pixels, expected[size_t(i)]) << "frame " << i;
        }
    }
    CPictureDecoder::Frame late;
    ASSERT_EQ(decoder.Decode(3, late), 1);
    ASSERT_EQ(decoder.Decode(1, late), 1);  // going back starts over
    EXPECT_EQ(late.picture.pixels, expected[1]);
}

// Each format told by its bytes whatever the name says.
TEST(PictureDecoder, FormatsAreRecognisedByContent)
{
    QTemporaryDir dir;
    struct Case
    {
        QByteArray bytes;
        PictureFormat format;
    };
    const Case cases[] = {
        {Encoded(SolidImage(2, 2, 0xFF000000u), "PNG"), PictureFormat::Png},
        {Encoded(SolidImage(2, 2, 0xFF000000u), "JPG"), PictureFormat::Jpeg},
        {Bmp(1, 1, 24, {Bytes({1, 2, 3})}), PictureFormat::Bmp},
        {Tga(2, 1, 1, 24, 0, Bytes({1, 2, 3})), PictureFormat::Tga},
        {Gif(1, 1, {0}, {{0, 0, 1, 1, {0}}}), PictureFormat::Gif},
        {QByteArray("plain text, not a picture"), PictureFormat::Unknown},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DetectPictureFormat(reinterpret_cast<const uint8_t*>(c.bytes.constData()), size_t(c.bytes.size())),
                  c.format);
        const QString path = dir.filePath(QStringLiteral("picture.bmp"));
        ASSERT_TRUE(WriteFile(path, c.bytes));
        CPicture picture;
        EXPECT_EQ(picture.LoadFromFile(path, 1, -1), c.format == PictureFormat::Unknown ? 2 : 0);
    }
    CPicture missing;
    EXPECT_EQ(missing.LoadFromFile(dir.filePath(QStringLiteral("none.png")), 1, -1), 1);
}

// Damaged and hostile files fail cleanly: no crash, no allocation of the
// size they declare.
TEST(PictureDecoder, HostileFilesFail)
{
    const QByteArray png = Encoded(SolidImage(64, 64, 0xFF102030u), "PNG");
    const QByteArray jpeg = Encoded(SolidImage(64, 64, 0xFF102030u), "JPG");
    const QByteArray bmp = Bmp(3, 2, 24, {Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9}), Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9})});
    const QByteArray tgaRle = Tga(10, 4, 4, 24, 0, Bytes({0x8F, 1, 2, 3}));
    QByteArray hugeBmp = bmp;
    hugeBmp[18] = char(0x30);  // width 30000 x 30000
    hugeBmp[19] = char(0x75);
    hugeBmp[22] = char(0x30);
    hugeBmp[23] = char(0x75);
    QByteArray hugePng = png;
    hugePng[16] = char(0x00);  // IHDR width 0x00FF0000 (checksum not even reached)
    hugePng[17] = char(0xFF);
    QByteArray zeroTga = Tga(2, 0, 5, 24, 0, Bytes({1, 2, 3}));
    QByteArray zeroBmp = bmp;
    zeroBmp[18] = 0;
    const QByteArray hugeGif = Gif(60000, 60000, {0, 0xFFFFFF}, {{0, 0, 1, 1, {1}}});
    struct Case
    {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"truncated PNG", png.left(png.size() / 2)},
        {"truncated JPEG", jpeg.left(jpeg.size() / 2)},
        {"truncated BMP", bmp.left(bmp.size() - 4)},
        {"truncated TGA RLE", tgaRle.left(tgaRle.size() - 1) + QByteArray()},
        {"huge BMP", hugeBmp},
        {"huge PNG", hugePng},
        {"huge GIF screen", hugeGif},
        {"zero-sized TGA", zeroTga},
        {"zero-sized BMP", zeroBmp},
        {"BMP header only", bmp.left(20)},
    };
    for (const Case& c : cases) {
        const Decoded d = Decode(c.bytes);
        EXPECT_EQ(d.ok, 0) << c.name;
        EXPECT_TRUE(d.frame.picture.IsEmpty()) << c.name;
    }
}

TEST(PictureDecoder, PaletteIndexesOutOfRangeStayInBounds)
{
    // An 8-bit BMP with two palette entries and pixels 1 and 200.
    const Decoded bmp = Decode(Bmp(2, 1, 8, {Bytes({1, 200})}, {0x000000, 0x00FF00}));
    ASSERT_EQ(bmp.ok, 1);
    EXPECT_EQ(Px(bmp, 0, 0), 0xFF00FF00u);
    EXPECT_EQ(Px(bmp, 1, 0), 0xFF000000u);
    // A GIF whose pixels point past its colour table leave the canvas clear:
    // written with four colours, then the table cut to two.
    QByteArray cut = Gif(2, 1, {0xFF0000, 0x00FF00, 0, 0}, {{0, 0, 2, 1, {1, 3}}});
    cut[10] = char(cut[10] & ~7);
    cut.remove(13 + 6, 6);
    const Decoded gif = Decode(cut);
    ASSERT_EQ(gif.ok, 1);
    EXPECT_EQ(Px(gif, 0, 0), 0xFF00FF00u);
    EXPECT_EQ(Px(gif, 1, 0), 0u);
    // A colour-mapped TGA with an index beyond its map.
    const Decoded tga = Decode(Tga(1, 2, 1, 8, 0x20, Bytes({0, 0, 255, 0, 9}), 1, 24));
    ASSERT_EQ(tga.ok, 1);
    EXPECT_EQ(Px(tga, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Px(tga, 1, 0), 0xFF000000u);
}

TEST(PictureDecoder, GifOfTenThousandFramesIsCountedAndWalkedQuickly)
{
    std::vector<GifFrame> frames(10000);
    for (size_t i = 0; i < frames.size(); ++i)
        frames[i] = {0, 0, 2, 2, std::vector<uint8_t>(4, uint8_t(i % 2)), 2};
    const QByteArray file = Gif(2, 2, {0x000000, 0xFFFFFF}, frames);
    CPictureDecoder decoder(file);
    EXPECT_EQ(decoder.FrameCount(), 10000);
    CPictureDecoder::Frame frame;
    for (int i = 0; i < 10000; i += 1) {
        ASSERT_EQ(decoder.Decode(i, frame), 1) << i;
    }
    EXPECT_EQ(frame.picture.Row(0)[0], 0xFFFFFFFFu);
    EXPECT_EQ(decoder.Decode(10000, frame), 0);
}

// A BMP rendered over black with its "_W" companion over white gives colour
// and alpha; choosing either file of the pair gives the same picture.
TEST(PictureFile, BmpCompanionGivesAlpha)
{
    QTemporaryDir dir;
    // Half-transparent red over black (128, 0, 0) and over white (255, 127, 127).
    ASSERT_TRUE(WriteFile(dir.filePath(QStringLiteral("logo.bmp")), Bmp(1, 1, 24, {Bytes({0, 0, 128})})));
    ASSERT_TRUE(WriteFile(dir.filePath(QStringLiteral("logo_W.bmp")), Bmp(1, 1, 24, {Bytes({127, 127, 255})})));
    bool white = true;
    EXPECT_EQ(BmpCompanionPath(QStringLiteral("/p/logo.bmp"), &white), QStringLiteral("/p/logo_W.bmp"));
    EXPECT_FALSE(white);
    EXPECT_EQ(BmpCompanionPath(QStringLiteral("/p/logo_w.bmp"), &white), QStringLiteral("/p/logo.bmp"));
    EXPECT_TRUE(white);
    CPicture fromBlack, fromWhite, plain;
    ASSERT_EQ(fromBlack.LoadFromFile(dir.filePath(QStringLiteral("logo.bmp")), 1, -1), 0);
    ASSERT_EQ(fromWhite.LoadFromFile(dir.filePath(QStringLiteral("logo_W.bmp")), 1, -1), 0);
    ASSERT_EQ(plain.LoadFromFile(dir.filePath(QStringLiteral("logo.bmp")), 0, -1), 0);
    EXPECT_EQ(fromBlack.pixels, fromWhite.pixels);
    EXPECT_EQ(fromBlack.Row(0)[0] >> 24, 128u);
    EXPECT_GE((fromBlack.Row(0)[0] >> 16) & 0xFF, 254u);
    EXPECT_EQ(fromBlack.Row(0)[0] & 0xFFFF, 0u);
    EXPECT_EQ(plain.Row(0)[0], 0xFF800000u) << "without alpha the companion is not looked for";
}

}  // namespace
