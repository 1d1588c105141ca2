#include "PictureFixtures.h"
#include "VideoFixture.h"

#include "content/PictureImport.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace fixtures;

namespace {

// What the operator would have seen, and the answers given.
class RecordingFeedback : public IImportFeedback
{
public:
    bool Ask(const CUserMessage& question) override
    {
        asked.push_back(question.text);
        return answer;
    }
    void Show(const CUserMessage& message) override { shown.push_back(message.stringId); }
    void BeginProgress(int r) override
    {
        range = r;
        ++opened;
    }
    bool Progress(int position) override
    {
        last = position;
        return cancelAt < 0 || position < cancelAt;
    }
    void EndProgress() override { ++closed; }

    bool answer = true;
    int cancelAt = -1;
    QStringList asked;
    std::vector<int> shown;
    int range = 0, opened = 0, closed = 0, last = 0;
};

std::vector<int> Durations(const CFrame& o)
{
    std::vector<int> d;
    for (const CFrameBackground& f : o.backgroundFrames)
        d.push_back(f.duration);
    return d;
}

std::vector<int> Ids(const std::vector<CUserMessage>& messages)
{
    std::vector<int> ids;
    for (const CUserMessage& m : messages)
        ids.push_back(m.stringId);
    return ids;
}

uint32_t FirstPixel(const CFrame& o, size_t frame)
{
    CPicture p;
    o.backgroundFrames[frame].picture.Decompress(p);
    return p.pixels[0];
}

class PictureImport : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    RecordingFeedback feedback;
    CImportTarget hd;  // 1920 x 1080, 50 Hz

    QString Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    void Png(const char* name, int w, int h, uint32_t argb)
    {
        QDir().mkpath(QFileInfo(Path(name)).path());
        ASSERT_TRUE(WriteFile(Path(name), Encoded(SolidImage(w, h, argb), "PNG")));
    }
    CPictureImportResult Import(const char* name, const CImportTarget& target)
    {
        return ImportPictureObject(Path(name), target, feedback);
    }
    CPictureImportResult Import(const char* name) { return Import(name, hd); }
};

TEST_F(PictureImport, NumberedSequencesKeepTheirDigitCount)
{
    for (const char* name : {"a7.png", "a8.png", "a9.png", "b007.png", "b008.png", "b009.png", "b010.png", "c9.png",
                             "c10.png", "d.png", "e12.png"})
        Png(name, 16, 16, 0xFF000000u);
    struct Case
    {
        const char* start;
        QStringList names;
    };
    const Case cases[] = {
        {"a7.png", {"a7.png", "a8.png", "a9.png"}},
        {"b008.png", {"b008.png", "b009.png", "b010.png"}},
        {"c9.png", {"c9.png", "c10.png"}},  // one digit grows to two
        {"d.png", {"d.png"}},
        {"e12.png", {"e12.png"}},
    };
    for (const Case& c : cases) {
        QStringList expected;
        for (const QString& n : c.names)
            expected << dir.filePath(n);
        EXPECT_EQ(NumberedSequence(Path(c.start)), expected) << c.start;
    }
}

TEST_F(PictureImport, SequenceIsImportedWhenTheOperatorAgrees)
{
    Png("pic7.png", 40, 30, 0xFF0000FFu);
    Png("pic8.png", 40, 30, 0xFF00FF00u);
    Png("pic9.png", 40, 30, 0xFFFF0000u);
    CPictureImportResult yes = Import("pic7.png");
    EXPECT_EQ(feedback.asked, QStringList{QStringLiteral("Import 3 animation frames?")});
    ASSERT_TRUE(yes.object);
    const CFrame& o = *yes.object;
    EXPECT_EQ(Durations(o), (std::vector<int>{20, 20, 20}));
    EXPECT_EQ(FirstPixel(o, 2), 0xFFFF0000u);
    EXPECT_EQ(o.showFor, 60);
    EXPECT_EQ(o.backgroundType, kBackgroundPicture);
    EXPECT_EQ(o.imageFileName, Path("pic7.png"));
    EXPECT_EQ(o.backgroundColor, 0xFF000000u);
    EXPECT_EQ(o.rect, (CRect{32, 32, 72, 62}));
    EXPECT_EQ(feedback.range, 3);
    EXPECT_EQ(feedback.closed, 1);

    feedback.answer = false;
    CPictureImportResult no = Import("pic8.png");
    ASSERT_TRUE(no.object);
    EXPECT_EQ(no.object->backgroundFrames.size(), 1u);
    EXPECT_EQ(no.object->showFor, 0) << "a single picture keeps the default show time";
}

TEST_F(PictureImport, LargePictureIsCroppedWithAWarning)
{
    Png("wide.png", 2500, 1200, 0xFF102030u);
    CPictureImportResult r = Import("wide.png");
    ASSERT_TRUE(r.object);
    EXPECT_EQ(r.object->backgroundWidth, 1920);
    EXPECT_EQ(r.object->backgroundHeight, 1080);
    EXPECT_EQ(r.object->backgroundFrames[0].picture.width, 1920);
    // Moved left and up so that it ends inside the canvas.
    EXPECT_EQ(r.object->rect, (CRect{0, 0, 1920, 1080}));
    EXPECT_EQ(Ids(r.warnings), std::vector<int>{10207});
    EXPECT_TRUE(feedback.shown.empty());
}

TEST_F(PictureImport, ImageListTimesRelativeEntriesAndMerging)
{
    Png("a.png", 20, 20, 0xFF0000FFu);
    Png("sub/b.png", 20, 20, 0xFF00FF00u);
    Png("elsewhere/c.png", 20, 20, 0xFFFF0000u);
    const QByteArray list = "a.png;40\r\na.png;40\n\nsub/b.png\n" + Path("elsewhere/c.png").toUtf8() + ";0\n";
    ASSERT_TRUE(WriteFile(Path("list.txt"), list));
    CPictureImportResult r = Import("list.txt");
    ASSERT_TRUE(r.object);
    // Two identical 40 ms frames are one of 80 ms; no time or 0 takes the mode's.
    EXPECT_EQ(Durations(*r.object), (std::vector<int>{80, 20, 20}));
    EXPECT_EQ(FirstPixel(*r.object, 1), 0xFF00FF00u);
    EXPECT_EQ(r.object->showFor, 120);
    EXPECT_TRUE(r.warnings.empty());

    // A missing entry stops the list with its message; what came before stays.
    ASSERT_TRUE(WriteFile(Path("broken.txt"), "a.png\nmissing.png\nsub/b.png\n"));
    CPictureImportResult broken = Import("broken.txt");
    EXPECT_EQ(feedback.shown, std::vector<int>{10361});
    ASSERT_TRUE(broken.object);
    EXPECT_EQ(broken.object->backgroundFrames.size(), 1u);

    CPictureImportResult none = Import("no-list.txt");
    EXPECT_FALSE(none.object);
    EXPECT_EQ(feedback.shown, (std::vector<int>{10361, 10361}));
}

TEST_F(PictureImport, ThousandFramesAtMost)
{
    Png("a.png", 16, 16, 0xFF0000FFu);
    Png("b.png", 16, 16, 0xFF00FF00u);
    QByteArray list;
    for (int i = 0; i < 1001; ++i)
        list += i % 2 ? "b.png\n" : "a.png\n";
    ASSERT_TRUE(WriteFile(Path("long.txt"), list));
    CPictureImportResult r = Import("long.txt");
    ASSERT_TRUE(r.object);
    EXPECT_EQ(r.object->backgroundFrames.size(), 1000u);
    EXPECT_EQ(Ids(r.warnings), std::vector<int>{10208});
    EXPECT_EQ(r.object->showFor, 20000);
}

TEST_F(PictureImport, CancelAndFailuresLeaveNoObject)
{
    Png("a.png", 16, 16, 0xFF0000FFu);
    Png("b.png", 16, 16, 0xFF00FF00u);
    ASSERT_TRUE(WriteFile(Path("list.txt"), "a.png\nb.png\na.png\n"));
    feedback.cancelAt = 2;
    EXPECT_FALSE(Import("list.txt").object);
    EXPECT_EQ(feedback.closed, 1);

    ASSERT_TRUE(WriteFile(Path("text.png"), "not a picture"));
    EXPECT_FALSE(Import("text.png").object);
    EXPECT_FALSE(Import("gone.png").object);
    EXPECT_EQ(feedback.shown, (std::vector<int>{10362, 10361}));
}

TEST_F(PictureImport, AnimatedGifKeepsItsFrameTimes)
{
    std::vector<GifFrame> frames;
    for (int i = 0; i < 3; ++i)
        frames.push_back({0, 0, 2, 2, std::vector<uint8_t>(4, uint8_t(i)), 4 + i});
    ASSERT_TRUE(WriteFile(Path("anim.gif"), Gif(2, 2, {0xFF0000, 0x00FF00, 0x0000FF}, frames)));
    CPictureImportResult r = Import("anim.gif");
    ASSERT_TRUE(r.object);
    EXPECT_EQ(Durations(*r.object), (std::vector<int>{40, 50, 60}));
    EXPECT_EQ(r.object->backgroundWidth, 16) << "the first frame sets at least 16 x 16";
    EXPECT_EQ(r.object->showFor, 150);
    EXPECT_EQ(feedback.range, 3);

    // A GIF of 10 000 frames keeps the first 1000 and warns.
    std::vector<GifFrame> many(10000);
    for (size_t i = 0; i < many.size(); ++i)
        many[i] = {0, 0, 2, 2, std::vector<uint8_t>(4, uint8_t(i % 2)), 2};
    ASSERT_TRUE(WriteFile(Path("many.gif"), Gif(2, 2, {0xFF0000, 0x00FF00}, many)));
    CPictureImportResult capped = Import("many.gif");
    ASSERT_TRUE(capped.object);
    EXPECT_EQ(capped.object->backgroundFrames.size(), 1000u);
    EXPECT_EQ(Ids(capped.warnings), std::vector<int>{10208});
    EXPECT_EQ(feedback.range, 10000);
}

// Videos: the size checks, frame times from the rate, alpha where the codec
// carries it, and files that cannot be decoded.
TEST_F(PictureImport, Videos)
{
    const auto bars = [](int w, int h) { return [w, h](int i) { return MovingBar(w, h, i); }; };
    ASSERT_TRUE(WriteVideo(Path("tiny.avi"), "mpeg4", AV_PIX_FMT_YUV420P, 12, 12, 25, 3, bars(12, 12)));
    ASSERT_TRUE(WriteVideo(Path("clip.avi"), "mpeg4", AV_PIX_FMT_YUV420P, 64, 48, 25, 12, bars(64, 48)));
    ASSERT_TRUE(WriteVideo(Path("exact.mkv"), "ffv1", AV_PIX_FMT_BGRA, 32, 16, 50, 4, bars(32, 16)));
    ASSERT_TRUE(WriteVideo(Path("alpha.mov"), "qtrle", AV_PIX_FMT_ARGB, 32, 16, 30, 2,
                           [](int i) { return MovingBar(32, 16, i, 0x40102030u); }));
    ASSERT_TRUE(WriteFile(Path("garbage.avi"), QByteArray(4096, 'x')));

    CPictureImportResult tiny = Import("tiny.avi");
    EXPECT_FALSE(tiny.object);
    CImportTarget small = hd;
    small.canvasWidth = 32;
    small.canvasHeight = 32;
    EXPECT_FALSE(Import("clip.avi", small).object);
    EXPECT_FALSE(Import("garbage.avi").object);
    EXPECT_FALSE(Import("missing.avi").object);
    EXPECT_EQ(feedback.shown, (std::vector<int>{10204, 10205, 10206, 10361}));
    feedback.shown.clear();

    CPictureImportResult clip = Import("clip.avi");
    ASSERT_TRUE(clip.object);
    EXPECT_EQ(Durations(*clip.object), std::vector<int>(12, 40));
    EXPECT_EQ(clip.object->showFor, 480);
    EXPECT_EQ(clip.object->rect, (CRect{32, 32, 96, 80}));
    EXPECT_EQ(feedback.range, 1000);
    EXPECT_EQ(feedback.last, 12);

    CPictureImportResult exact = Import("exact.mkv");
    ASSERT_TRUE(exact.object);
    ASSERT_EQ(exact.object->backgroundFrames.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        CPicture frame;
        exact.object->backgroundFrames[size_t(i)].picture.Decompress(frame);
        EXPECT_EQ(frame.pixels, MovingBar(32, 16, i).pixels) << "lossless frame " << i;
        EXPECT_EQ(exact.object->backgroundFrames[size_t(i)].duration, 20);
    }

    CPictureImportResult alpha = Import("alpha.mov");
    ASSERT_TRUE(alpha.object);
    CPicture first;
    alpha.object->backgroundFrames[0].picture.Decompress(first);
    EXPECT_EQ(first.Row(5)[10], 0x40102030u);
    EXPECT_EQ(first.Row(5)[1], 0xFFFFFFFFu);
    EXPECT_EQ(Durations(*alpha.object), (std::vector<int>{33, 33}));
    EXPECT_TRUE(feedback.shown.empty());
}

}  // namespace
