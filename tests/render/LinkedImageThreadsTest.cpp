// A linked picture replaced again and again while its object repeats on air
// and the editor keeps asking for the object's picture: the new frames reach
// the render thread only through the hand-over, and the editor's picture is
// made from whole frames. Runs under the thread and address sanitizers too.
#include "RenderFixture.h"

#include "app/MemorySettingsStore.h"
#include "content/FramePreview.h"
#include "content/PagePlayback.h"
#include "playback/SourceFileStamp.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

using namespace renderfixture;

namespace {

// Writes the picture beside its name and renames it over the old one, as a
// careful writer does: a reader sees one version or the other.
bool ReplacePicture(const QString& path, int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    const QString written = path + QStringLiteral(".new.png");
    if (!image.save(written, "PNG"))
        return false;
    return std::rename(QFile::encodeName(written).constData(), QFile::encodeName(path).constData()) == 0;
}

class LinkedImageThreads : public ::testing::Test
{
protected:
    void SetUp() override { previous_ = InstallSettingsStore(std::make_unique<CMemorySettingsStore>()); }
    void TearDown() override { InstallSettingsStore(std::move(previous_)); }

    std::unique_ptr<ISettingsStore> previous_;
};

TEST_F(LinkedImageThreads, ReplacedWhileItRepeatsAndTheEditorLooks)
{
    QTemporaryDir files;
    ASSERT_TRUE(files.isValid());
    const QString path = files.filePath(QStringLiteral("logo.png"));
    const QRgb colours[2] = {qRgb(200, 40, 40), qRgb(40, 40, 200)};
    ASSERT_TRUE(ReplacePicture(path, 48, 32, colours[0]));

    CFrameSet page;
    auto linked = std::make_unique<CFrame>();
    linked->rect = {100, 100, 164, 132};
    linked->backgroundType = kBackgroundPicture;
    linked->linkImageFile = 1;
    linked->imageFileName = path;
    linked->showIndefinitely = 0;
    linked->showFor = 60;
    linked->repeat = 1;
    linked->framePeriod = VideoModeByName(QStringLiteral("720p50"))->framePeriodUs;
    CFrame* object = linked.get();
    Add(page, std::move(linked));

    auto render = OffscreenRender(page);
    ASSERT_EQ(render->renderError.load(), 0);
    ASSERT_TRUE(WaitFor([&] { return page.outputActive.load() == 1; }));
    ASSERT_EQ(CPagePlayback(page).PlayAllObjects(), 1);

    for (int round = 0; round < 40; ++round) {
        const int variant = round % 2;
        if (round % 4 == 0) {
            ASSERT_TRUE(ReplacePicture(path, variant ? 64 : 48, variant ? 24 : 32, colours[variant]));
        }
        for (int look = 0; look < 5; ++look) {
            object->InvalidatePreview();
            const CPicture& picture = CFramePreview(*object).GetBackgroundPreview();
            ASSERT_EQ(picture.width, 64);
            ASSERT_EQ(picture.height, 32);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    // The last version goes on air at one of the next repeats: once the
    // text thread has noticed it, the next swap is of that version.
    ASSERT_TRUE(ReplacePicture(path, 64, 32, colours[1]));
    const CFileStamp last = FileStampOf(path);
    ASSERT_TRUE(WaitFor([&] { return object->linkedImage->IsKnown(path, last); }));
    const int swaps = object->linkedImage->swaps.load();
    ASSERT_TRUE(WaitFor([&] { return object->linkedImage->swaps.load() > swaps; }));
    EXPECT_EQ(object->playing.load(), 1) << "no replacement stopped the object";
    render->StopAndCollect();
    EXPECT_EQ(object->imageFileStamp, last);
    EXPECT_EQ(object->backgroundWidth, 64);
    EXPECT_EQ(object->backgroundHeight, 32);
    render.reset();
}

}  // namespace
