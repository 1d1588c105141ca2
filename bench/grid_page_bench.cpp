// The renderer's frame on the CPU device with the grid pages of
// `tavrel-tool demo --grid N` (N objects of 240 x 60 on pictures with one
// line of text, every other one with a drop shadow): frames drawn off-line
// once the objects' effects are over, so that every frame is the same work.
// Reported per frame: wall time, and the processor time of the whole
// process (the render thread and the band workers together), which the
// load of a shared machine changes far less. The counter "Mpx" is the
// megapixels blended per frame (picture and text quads, shadows counted
// once more), for the processor time per blended megapixel.
#include "tool/DemoPages.h"

#include "content/PagePlayback.h"
#include "model/FrameSet.h"
#include "model/PageFile.h"
#include "render/core/OfflineRenderer.h"
#include "render/display/VideoMode.h"

#include "QtBenchmarkMain.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

// Objects' effects last 400 ms: 20 frames at 50 Hz, then a few more.
constexpr int kFramesBeforeMeasuring = 25;

void BM_GridPage(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const VideoMode& mode = *VideoModeByName(QStringLiteral("1080p50"));
    QTemporaryDir folder;
    QString error;
    if (!WriteGridPage(folder.path(), count, mode.framePeriodUs, error)) {
        state.SkipWithError(error.toUtf8().constData());
        return;
    }
    CPageFileContext context;
    context.rasterWidth = mode.canvasWidth;
    context.rasterHeight = mode.canvasHeight;
    context.framePeriod = mode.framePeriodUs;
    OwnedFrameList objects;
    if (!ReadPage(folder.filePath(GridPageName(count)), objects, 0, context)) {
        state.SkipWithError("the grid page could not be read");
        return;
    }
    CFrameSet page;
    for (auto& object : objects)
        page.AddObject(object);

    COfflineRenderer renderer(page, mode, 0, QStringLiteral("cpu"));
    if (renderer.RenderError() != 0) {
        state.SkipWithError("the CPU device did not start");
        return;
    }
    CPagePlayback(page).PlayAllObjects();
    for (int i = 0; i < kFramesBeforeMeasuring; ++i)
        renderer.RenderNext();
    for (auto _ : state) {
        if (renderer.RenderNext() != kFrameOk) {
            state.SkipWithError("a frame failed");
            break;
        }
    }
    // Each object: its picture and its text over 240 x 60, and the shadow
    // of every other one's text.
    const double quads = 2.0 * count + count / 2;
    state.counters["Mpx"] = quads * 240 * 60 / 1e6;
}
BENCHMARK(BM_GridPage)
    ->Arg(16)
    ->Arg(64)
    ->Arg(128)
    ->Arg(256)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return RunBenchmarksWithQt<QGuiApplication>(argc, argv);
}
