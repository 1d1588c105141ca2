// The pages pane over a large pages folder: 10 000 page files in 200
// subfolders. Measures the time from creating the pane to its first paint
// with the folders listed, and, while every subfolder is then opened and
// read, the longest time the user-interface thread went without handling
// its events. Run under Xvfb (`xvfb-run -a`) or with QT_QPA_PLATFORM=offscreen.
#include "app/MemorySettingsStore.h"
#include "app/SettingsRegister.h"
#include "document/MainDoc.h"
#include "pages/FileTreeView.h"

#include "QtBenchmarkMain.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileSystemModel>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

namespace {

constexpr int kFolders = 200;
constexpr int kPagesPerFolder = 50;

bool MakeFolder(const QString& root)
{
    for (int f = 0; f < kFolders; ++f) {
        const QString folder = QStringLiteral("%1/Show %2").arg(root).arg(f + 1, 3, 10, QLatin1Char('0'));
        if (!QDir().mkpath(folder))
            return false;
        for (int p = 0; p < kPagesPerFolder; ++p) {
            QFile page(QStringLiteral("%1/Page %2.tavrel").arg(folder).arg(p + 1));
            if (!page.open(QIODevice::WriteOnly))
                return false;
        }
    }
    return true;
}

void BM_PagesPaneOnTenThousandPages(benchmark::State& state)
{
    QTemporaryDir folder;
    if (!MakeFolder(folder.path())) {
        state.SkipWithError("the pages folder could not be made");
        return;
    }
    auto previous = InstallSettingsStore(std::make_unique<CMemorySettingsStore>());
    Write(settings::kRootFolder, folder.path() + QLatin1Char('/'));
    double firstPaint = 0;
    double longestStall = 0;
    {
        CMainDoc doc(true);
        for (auto _ : state) {
            QElapsedTimer clock;
            clock.start();
            CFileTreeView pane(doc);
            pane.resize(300, 800);
            pane.show();
            const QModelIndex root = pane.Files()->index(folder.path());
            while (pane.Files()->rowCount(root) < kFolders && clock.elapsed() < 10000)
                QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            pane.Tree()->viewport()->repaint();
            firstPaint = clock.nsecsElapsed() / 1e6;

            // Every subfolder opened, one per turn of the event loop, while a
            // timer notes the gaps between turns.
            QElapsedTimer gap;
            gap.start();
            longestStall = 0;
            QTimer probe;
            probe.setInterval(1);
            QObject::connect(&probe, &QTimer::timeout, [&] {
                longestStall = std::max(longestStall, gap.nsecsElapsed() / 1e6);
                gap.restart();
            });
            probe.start();
            int opened = 0;
            int loaded = 0;
            QObject::connect(pane.Files(), &QFileSystemModel::directoryLoaded, [&](const QString&) { ++loaded; });
            while ((opened < kFolders || loaded < kFolders) && clock.elapsed() < 60000) {
                if (opened < kFolders) {
                    const QString sub = pane.Files()->filePath(pane.Files()->index(opened, 0, root));
                    pane.Tree()->expand(pane.ViewIndexOf(sub));
                    ++opened;
                }
                QApplication::processEvents(QEventLoop::AllEvents, 5);
            }
            pane.Tree()->viewport()->repaint();
            probe.stop();
        }
    }
    state.counters["first_paint_ms"] = firstPaint;
    state.counters["longest_stall_ms"] = longestStall;
    InstallSettingsStore(std::move(previous));
}
BENCHMARK(BM_PagesPaneOnTenThousandPages)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksWithQt<QApplication>(argc, argv);
}
