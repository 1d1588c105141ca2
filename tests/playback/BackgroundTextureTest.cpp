#include "PresentedObject.h"

#include "content/FramePlayer.h"
#include "content/FramePreview.h"
#include "content/FrameTextures.h"
#include "playback/TextureDevice.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const CMemoryTexture* BackgroundTexture(const PresentedObject& p)
{
    return static_cast<const CMemoryTexture*>(p.object.backgroundTexture.get());
}

void SavePng(const QString& path, int w, int h, uint32_t argb)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(argb);
    ASSERT_TRUE(image.save(path, "PNG"));
}

class LinkedImage : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("linked.png"));
    PresentedObject p;

    void SetUp() override
    {
        SavePng(path, 20, 10, 0xFF112233u);
        p.object.backgroundType = kBackgroundPicture;
        p.object.linkImageFile = 1;
        p.object.imageFileName = path;
    }
    void PlayOneFrame()
    {
        CFramePlayer(p.object).Play();
        ASSERT_EQ(p.Frame(), 1);
    }
};

TEST_F(LinkedImage, RewrittenFileIsImportedAgainAtItsNewSize)
{
    PlayOneFrame();
    ASSERT_NE(BackgroundTexture(p), nullptr);
    EXPECT_EQ(BackgroundTexture(p)->Width(), 20);
    EXPECT_EQ(BackgroundTexture(p)->Texel(19, 9), 0xFF112233u);
    p.object.StopOutput();

    // Unchanged: the frames stay as they are.
    p.object.backgroundFrames[0].duration = 1234;
    PlayOneFrame();
    EXPECT_EQ(p.object.backgroundFrames[0].duration, 1234);
    p.object.StopOutput();

    SavePng(path, 40, 30, 0xFF445566u);
    PlayOneFrame();
    EXPECT_EQ(p.object.backgroundWidth, 40);
    ASSERT_NE(BackgroundTexture(p), nullptr);
    EXPECT_EQ(BackgroundTexture(p)->Height(), 30);
    EXPECT_EQ(BackgroundTexture(p)->Texel(39, 29), 0xFF445566u);
    EXPECT_EQ(p.object.imageFileTime, p.object.imageFileStamp.LastWriteTime());
}

TEST_F(LinkedImage, MissingFileStopsTheObjectAndShowsBlack)
{
    ASSERT_TRUE(QFile::remove(path));
    p.object.rect = {0, 0, 8, 4};
    CFramePlayer(p.object).Play();
    EXPECT_EQ(p.Frame(), 0);
    EXPECT_EQ(p.object.backgroundError.load(), 1);
    EXPECT_FALSE(p.object.playing.load());

    const CPicture& preview = CFramePreview(p.object).GetBackgroundPreview();
    EXPECT_EQ(preview.width, 8);
    EXPECT_EQ(preview.pixels, std::vector<uint32_t>(32, 0xFF000000u));
    EXPECT_EQ(p.object.backgroundError.load(), 1);

    // A file that is there but broken, played twice: still no frames.
    QFile broken(path);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    for (int i = 0; i < 2; ++i) {
        CFramePlayer(p.object).Play();
        EXPECT_EQ(p.Frame(), 0);
        EXPECT_EQ(p.object.backgroundError.load(), 1);
    }
    // An unlinked picture object without frames stops too.
    p.object.linkImageFile = 0;
    CFramePlayer(p.object).Play();
    EXPECT_EQ(p.Frame(), 0);
    p.object.linkImageFile = 1;

    // The file comes back: the next preview after an invalidation finds it.
    SavePng(path, 16, 16, 0xFF0000FFu);
    p.object.InvalidatePreview();
    EXPECT_EQ(CFramePreview(p.object).GetBackgroundPreview().pixels, std::vector<uint32_t>(32, 0xFF0000FFu));
    EXPECT_EQ(p.object.backgroundError.load(), 0);
}

TEST(BackgroundPreview, SolidAndMiddleFrameStretched)
{
    CFrame o;
    o.rect = {10, 10, 14, 12};
    o.backgroundColor = 0x80010203u;  // a colour reference: red 0x03 in the low byte
    EXPECT_EQ(CFramePreview(o).GetBackgroundPreview().pixels, std::vector<uint32_t>(8, 0x80030201u));

    // Three frames of 2 x 1: the middle one, stretched to 4 x 2.
    o.backgroundType = kBackgroundPicture;
    for (uint32_t colour : {0xFF000001u, 0xFF000002u, 0xFF000003u}) {
        CPicture frame(2, 1);
        frame.pixels = {colour, colour | 0x100u};
        ASSERT_EQ(o.AddBackgroundFrame(1080, frame, 1920, 40), 1);
    }
    EXPECT_EQ(CFramePreview(o).GetBackgroundPreview().pixels[0], 0x80030201u) << "kept until invalidated";
    o.InvalidatePreview();
    EXPECT_EQ(CFramePreview(o).GetBackgroundPreview().pixels.size(), 8u);
    // The frames were padded to 16 x 16: the middle frame's top-left 2 x 1
    // lands in the first row's left eighth.
    EXPECT_EQ(CFramePreview(o).GetBackgroundPreview().pixels[0], 0xFF000002u);
}

// Animation frames written straight into a locked texture.
TEST(BackgroundTexture, LockedUploadOnlyWhenTheFrameChanges)
{
    PresentedObject p;
    p.device.lockable = true;
    p.object.backgroundType = kBackgroundPicture;
    for (uint32_t i = 1; i <= 3; ++i) {
        CPicture frame(32, 16);
        std::fill(frame.pixels.begin(), frame.pixels.end(), 0xFF000000u | i);
        frame.pixels[5] = 0xFFABCDEFu;
        ASSERT_EQ(p.object.AddBackgroundFrame(1080, frame, 1920, 40), 1);
    }
    CFramePlayer(p.object).Play();
    std::vector<uint32_t> shown;
    for (int i = 0; i < 6; ++i) {
        p.Frame();
        shown.push_back(BackgroundTexture(p)->Texel(31, 15));
    }
    EXPECT_EQ(shown, (std::vector<uint32_t>{0xFF000001u, 0xFF000001u, 0xFF000002u, 0xFF000002u, 0xFF000003u,
                                            0xFF000003u}));
    EXPECT_EQ(BackgroundTexture(p)->Texel(5, 0), 0xFFABCDEFu);
    EXPECT_EQ(BackgroundTexture(p)->writes, 3);
    EXPECT_FALSE(BackgroundTexture(p)->locked);
}

TEST(BackgroundTexture, CopyToLockedTextureFillsTheRest)
{
    CPicture picture(3, 2);
    picture.pixels = {1, 2, 3, 4, 5, 6};
    struct Case
    {
        const char* name;
        CRect source, destination;
        std::vector<uint32_t> expected;  // the 4 x 3 texture, starting all 9
    };
    const Case cases[] = {
        {"same size", {0, 0, 3, 2}, {0, 0, 3, 2}, {1, 2, 3, 9, 4, 5, 6, 9, 9, 9, 9, 9}},
        {"wider and taller destination", {1, 0, 3, 2}, {1, 0, 4, 3}, {9, 2, 3, 0, 9, 5, 6, 0, 9, 0, 0, 0}},
        {"no rows clears it all", {0, 0, 3, 0}, {0, 1, 4, 3}, {9, 9, 9, 9, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        std::vector<uint32_t> texels(12, 9u);
        CopyToLockedTexture(picture, c.source, c.destination,
                            CLockedTexels{reinterpret_cast<uint8_t*>(texels.data()), 16});
        EXPECT_EQ(texels, c.expected) << c.name;
    }
}

// A device that rounds sizes up to powers of two.
class RoundingDevice : public CMemoryTextureDevice
{
public:
    std::unique_ptr<IObjectTexture> CreateTexture(int width, int height) override
    {
        auto round = [](int v) {
            int p = 1;
            while (p < v)
                p *= 2;
            return p;
        };
        return CMemoryTextureDevice::CreateTexture(round(width), round(height));
    }
};

TEST(BackgroundTexture, TexturesOfAnotherSizeAreRefused)
{
    RoundingDevice device;
    EXPECT_NE(CFrameTextures::CreateTexture(&device, 64, 32), nullptr);
    EXPECT_EQ(CFrameTextures::CreateTexture(&device, 100, 32), nullptr);
    CMemoryTextureDevice small(64);
    EXPECT_EQ(CFrameTextures::CreateTexture(&small, 65, 8), nullptr);
    EXPECT_EQ(CFrameTextures::CreateTexture(nullptr, 8, 8), nullptr);
}

}  // namespace
