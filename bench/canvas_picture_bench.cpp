// The editor's composed picture of the grid page of `tavrel-tool demo
// --grid 64` (64 objects of 240 x 60 on pictures with one line of text,
// neighbours overlapping) over the 1920 x 1080 checkerboard, once the
// objects' pictures have been made:
//  - one mouse move of an object by 5 pixels: the hint is the old and the
//    new place inflated by 6 pixels, composed again;
//  - the whole page composed again, for comparison.
#include "tool/DemoPages.h"

#include "content/RichEditTextRenderer.h"
#include "document/CanvasPicture.h"
#include "model/FrameSet.h"
#include "model/PageFile.h"
#include "model/Picture.h"
#include "render/display/VideoMode.h"

#include "QtBenchmarkMain.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

struct GridCanvas
{
    CFrameSet page;
    FrameList objects;
    CRichEditTextRenderer renderer;
    CCanvasPicture canvas;

    bool Load(int count, QString& error)
    {
        const VideoMode& mode = *VideoModeByName(QStringLiteral("1080p50"));
        QTemporaryDir folder;
        if (!WriteGridPage(folder.path(), count, mode.framePeriodUs, error))
            return false;
        CPageFileContext context;
        context.rasterWidth = mode.canvasWidth;
        context.rasterHeight = mode.canvasHeight;
        context.framePeriod = mode.framePeriodUs;
        OwnedFrameList read;
        if (!ReadPage(folder.filePath(GridPageName(count)), read, 0, context)) {
            error = QStringLiteral("the grid page could not be read");
            return false;
        }
        for (auto& object : read)
            page.AddObject(object);
        CPicture checkerboard(mode.canvasWidth, mode.canvasHeight);
        checkerboard.Checkerboard();
        canvas.SetBackground(QImage(reinterpret_cast<const uchar*>(checkerboard.pixels.data()), checkerboard.width,
                                    checkerboard.height, checkerboard.width * 4, QImage::Format_ARGB32));
        page.TakeSnapshot(objects);
        page.ReleaseSnapshot();
        // Every object's pictures are made once, as the editor has them when
        // the operator starts dragging.
        canvas.Recompose(page, CRect{}, nullptr, renderer);
        return true;
    }
};

CRect MoveHint(const CRect& a, const CRect& b)
{
    return CRect{std::min(a.left, b.left) - 6, std::min(a.top, b.top) - 6, std::max(a.right, b.right) + 6,
                 std::max(a.bottom, b.bottom) + 6};
}

void BM_RecomposeMouseMove(benchmark::State& state)
{
    GridCanvas grid;
    QString error;
    if (!grid.Load(64, error)) {
        state.SkipWithError(error.toUtf8().constData());
        return;
    }
    // An object inside the grid, with neighbours on all sides.
    CFrame& moved = *grid.objects[21];
    int step = 5;
    int textDrawn = 0;
    for (auto _ : state) {
        const CRect before = moved.rect;
        moved.rect.Offset(step, 0);
        step = -step;
        const RecomposeResult result =
            grid.canvas.Recompose(grid.page, MoveHint(before, moved.rect), nullptr, grid.renderer);
        textDrawn += result.textDrawn;
        benchmark::DoNotOptimize(grid.canvas.Composed().constBits());
    }
    if (textDrawn == 0)
        state.SkipWithError("no text was drawn");
}
BENCHMARK(BM_RecomposeMouseMove)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_RecomposeWholePage(benchmark::State& state)
{
    GridCanvas grid;
    QString error;
    if (!grid.Load(static_cast<int>(state.range(0)), error)) {
        state.SkipWithError(error.toUtf8().constData());
        return;
    }
    for (auto _ : state) {
        grid.canvas.Recompose(grid.page, CRect{}, nullptr, grid.renderer);
        benchmark::DoNotOptimize(grid.canvas.Composed().constBits());
    }
}
BENCHMARK(BM_RecomposeWholePage)->Arg(64)->Arg(256)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return RunBenchmarksWithQt<QGuiApplication>(argc, argv);
}
