// A linked image file replaced on disk while its object repeats on air: the
// new frames are imported away from the render thread, which only swaps
// them in where the object starts over.
#include "RenderFixture.h"

#include "app/MemorySettingsStore.h"
#include "content/PagePlayback.h"
#include "content/VideoWriter.h"
#include "model/Picture.h"
#include "playback/SourceFileStamp.h"
#include "render/core/OfflineRenderer.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

using namespace renderfixture;

namespace {

// A video of `count` frames at 50 frames per second whose frames all differ.
bool WriteVideo(const QString& path, int width, int height, int count, uint32_t background)
{
    CVideoWriter writer;
    if (!writer.Open(path, width, height, 50, 1))
        return false;
    for (int i = 0; i < count; ++i) {
        CPicture picture(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                picture.Row(y)[x] = 0xFF000000u | (background ^ static_cast<uint32_t>((x * 7 + y * 13 + i * 29) & 0xFF));
        if (!writer.WriteFrame(picture))
            return false;
    }
    return writer.Close();
}

std::unique_ptr<CFrame> LinkedObject(const QString& path, const CRect& rect, int showFor)
{
    auto object = std::make_unique<CFrame>();
    object->rect = rect;
    object->backgroundType = kBackgroundPicture;
    object->linkImageFile = 1;
    object->imageFileName = path;
    object->showIndefinitely = 0;
    object->showFor = showFor;
    object->repeat = 1;
    object->framePeriod = VideoModeByName(QStringLiteral("720p50"))->framePeriodUs;
    return object;
}

class LinkedImageOnAir : public ::testing::Test
{
protected:
    void SetUp() override
    {
        previous_ = InstallSettingsStore(std::make_unique<CMemorySettingsStore>());
        ASSERT_TRUE(files_.isValid());
    }
    void TearDown() override { InstallSettingsStore(std::move(previous_)); }

    QTemporaryDir files_;
    std::unique_ptr<ISettingsStore> previous_;
};

// The renderer's threads, paced: the longest output frame while the video
// is replaced, against one decode of it measured here and now.
TEST_F(LinkedImageOnAir, ReplacedVideoDoesNotHoldUpTheOutput)
{
    const QString path = files_.filePath(QStringLiteral("loop.mkv"));
    constexpr int kWidth = 384;
    constexpr int kHeight = 216;
    ASSERT_TRUE(WriteVideo(path, kWidth, kHeight, 200, 0x204060u));

    CFrameSet page;
    auto linked = LinkedObject(path, CRect{0, 0, kWidth, kHeight}, 200);
    CFrame* object = linked.get();
    Add(page, std::move(linked));

    CRenderEnvironment environment;
    environment.recordFrames = 100000;
    auto render = OffscreenRender(page, environment);
    ASSERT_EQ(render->renderError.load(), 0);
    ASSERT_TRUE(WaitFor([&] { return page.outputActive.load() == 1; }));
    // Play imports the video on this thread, before the threads take the
    // object: that is what one decode takes.
    const auto playStart = std::chrono::steady_clock::now();
    ASSERT_EQ(CPagePlayback(page).PlayAllObjects(), 1);
    const auto decodeUs =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - playStart).count();
    ASSERT_GT(decodeUs, 5 * object->framePeriod) << "the video decodes too quickly to show a stall";
    const int started = render->FramesPresented();
    ASSERT_TRUE(WaitFor([&] { return render->FramesPresented() >= started + 5; }));

    // Replaced while it plays (the writer renames the finished file over it).
    ASSERT_TRUE(WriteVideo(path, kWidth, kHeight, 200, 0x604020u));
    const CFileStamp replaced = FileStampOf(path);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (object->linkedImage->swaps.load() == 0 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const int framesAfterSwap = render->FramesPresented() + 5;
    ASSERT_TRUE(WaitFor([&] { return render->FramesPresented() >= framesAfterSwap; }));
    EXPECT_EQ(object->playing.load(), 1);
    const CRenderStatistics statistics = render->StopAndCollect();
    render.reset();

    EXPECT_EQ(object->imageFileStamp, replaced) << "the new video went on air";
    ASSERT_FALSE(statistics.frameTimesUs.empty());
    const int longest = *std::max_element(statistics.frameTimesUs.begin(), statistics.frameTimesUs.end());
    RecordProperty("decodeUs", static_cast<int>(decodeUs));
    RecordProperty("longestFrameUs", longest);
    EXPECT_LT(longest, decodeUs / 2) << "one decode: " << decodeUs << " us";
}

// Off-line, on the virtual clock: a picture replaced in the middle of a
// presentation shows from the object's next start, not before.
TEST_F(LinkedImageOnAir, ReplacedPictureShowsFromTheNextRepeat)
{
    const QString path = files_.filePath(QStringLiteral("logo.png"));
    auto save = [&](QRgb colour) {
        QImage image(32, 32, QImage::Format_ARGB32);
        image.fill(colour);
        return image.save(path, "PNG");
    };
    ASSERT_TRUE(save(qRgb(255, 0, 0)));
    CFrameSet page;
    // 100 ms: five frames of 720p50 from each start.
    Add(page, LinkedObject(path, CRect{0, 0, 32, 32}, 100));
    COfflineRenderer offline(page, *VideoModeByName(QStringLiteral("720p50")), 0, QStringLiteral("cpu"));
    ASSERT_EQ(offline.RenderError(), 0);
    ASSERT_EQ(CPagePlayback(page).PlayAllObjects(), 1);

    std::vector<uint32_t> shown;
    for (int frame = 0; frame < 12; ++frame) {
        if (frame == 3) {
            ASSERT_TRUE(save(qRgb(0, 0, 255)));
        }
        ASSERT_EQ(offline.RenderNext(), kFrameOk);
        CPicture canvas;
        ASSERT_TRUE(offline.ReadCanvas(&canvas));
        shown.push_back(canvas.pixels[size_t(16) * size_t(canvas.width) + 16] & 0xFFFFFFu);
    }
    constexpr uint32_t kRed = 0xFF0000u;
    constexpr uint32_t kBlue = 0x0000FFu;
    // Six frames of the first presentation (the clock starts at 0), the new
    // picture from the start of the next, whose first frame waits for the
    // text thread's look at the text as every start does.
    EXPECT_EQ(shown, (std::vector<uint32_t>{kRed, kRed, kRed, kRed, kRed, kRed, 0, kBlue, kBlue, kBlue, kBlue, kBlue}));
}

}  // namespace
