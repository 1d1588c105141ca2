// Dragging an object on the editor's canvas: one mouse move as the canvas
// runs it (the object's new place applied, the touched rectangle composed
// again, the canvas painted), on the grid page of `tavrel-tool demo --grid
// 64` (64 objects of 240 x 60 on pictures with one line of text) at 100 %
// and 50 %, in a 1600 x 900 canvas.
#include "tool/DemoPages.h"

#include "app/MemorySettingsStore.h"
#include "app/SettingsRegister.h"
#include "document/MainDoc.h"
#include "editor/MainView.h"
#include "render/display/VideoMode.h"

#include "QtBenchmarkMain.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

void BM_CanvasDragMouseMove(benchmark::State& state)
{
    QTemporaryDir folder;
    auto previous = InstallSettingsStore(std::make_unique<CMemorySettingsStore>());
    Write(settings::kRootFolder, folder.path() + QLatin1Char('/'));
    Write(settings::kMode, VideoModeByName(QStringLiteral("1080p50"))->id);
    QString error;
    const VideoMode& mode = *VideoModeByName(QStringLiteral("1080p50"));
    if (!WriteGridPage(folder.path(), 64, mode.framePeriodUs, error)) {
        state.SkipWithError(error.toUtf8().constData());
        InstallSettingsStore(std::move(previous));
        return;
    }
    {
        CMainDoc doc(true);
        if (!doc.OpenDocumentFile(QDir(folder.path()).filePath(GridPageName(64)))) {
            state.SkipWithError("the grid page could not be read");
        } else {
            CMainView view(doc, true);
            view.setAttribute(Qt::WA_DontShowOnScreen);
            view.resize(1600, 900);
            view.show();
            QApplication::processEvents();
            view.SetZoomLevel(static_cast<int>(state.range(0)));
            QImage screen(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
            FrameList objects;
            doc.page.TakeSnapshot(objects);
            doc.page.ReleaseSnapshot();
            // An object inside the grid, with neighbours on all sides.
            doc.SetSelection(objects[21]);
            view.viewport()->render(&screen);
            int step = 5;
            for (auto _ : state) {
                CRect moved = objects[21]->rect;
                moved.Offset(step, 0);
                step = -step;
                view.ApplyObjectRect(moved, true, true);
                view.viewport()->render(&screen);
                benchmark::DoNotOptimize(screen.constBits());
            }
            state.counters["viewport_pixels"] = view.viewport()->width() * view.viewport()->height();
        }
    }
    InstallSettingsStore(std::move(previous));
}
BENCHMARK(BM_CanvasDragMouseMove)->Arg(0)->Arg(3)->ArgName("zoomLevel")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return RunBenchmarksWithQt<QApplication>(argc, argv);
}
