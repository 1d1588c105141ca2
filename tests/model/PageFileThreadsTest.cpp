#include "model/PageFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// Saving works on a snapshot: a render thread keeps taking snapshots and
// reading the frames it shows while the page is written, and removing an
// object meanwhile leaves it alive until the last snapshot is released.
TEST(PageFileThreads, SavingWhileTheRenderThreadPlays)
{
    QTemporaryDir dir;
    CFrameSet page;
    for (int i = 0; i < 8; ++i) {
        auto object = std::make_unique<CFrame>();
        CPicture picture(64, 64);
        std::fill(picture.pixels.begin(), picture.pixels.end(), 0xFF000000u | uint32_t(i));
        object->AddBackgroundFrame(1080, picture, 1920, 40);
        page.AddObject(object);
    }
    std::atomic<bool> stop{false};
    std::atomic<int> frames{0};
    std::thread render([&] {
        CPicture framePicture;
        while (!stop.load()) {
            FrameList list;
            page.TakeSnapshot(list);
            for (CFrame* object : list)
                object->backgroundFrames.at(0).picture.Decompress(framePicture);
            page.ReleaseSnapshot();
            frames.fetch_add(1);
        }
    });
    // The saves overlap the render thread's frames, however busy the
    // machine: it has shown a frame before the first and after the last.
    const auto waitForFrameAfter = [&](int seen) {
        while (frames.load() <= seen)
            std::this_thread::yield();
    };
    waitForFrameAfter(0);
    const QString path = dir.filePath(QStringLiteral("page.tavrel"));
    CPageFileContext context;
    context.rasterWidth = 1920;
    context.rasterHeight = 1080;
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(WritePage(path, page, context), 1);
    FrameList list;
    page.TakeSnapshot(list);
    page.RemoveObject(list.back());
    page.ReleaseSnapshot();
    ASSERT_EQ(WritePage(path, page, context), 1);
    waitForFrameAfter(frames.load());
    stop = true;
    render.join();
    EXPECT_GT(frames.load(), 0);

    OwnedFrameList loaded;
    CPageFileContext reading;
    ASSERT_EQ(ReadPage(path, loaded, 0, reading), 1);
    EXPECT_EQ(loaded.size(), 7u);
}

}  // namespace
