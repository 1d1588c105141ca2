// The property grid following the selection on a full page: 256 objects in
// 16 groups; one step selects the next object, fills the grid from it and
// paints the grid (a 420 x 900 pane), as arrowing through the objects does.
#include "app/MemorySettingsStore.h"
#include "app/SettingsRegister.h"
#include "document/MainDoc.h"
#include "editor/PropertiesView.h"
#include "model/Frame.h"

#include "QtBenchmarkMain.h"

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

void BM_PropertyGridFollowsSelection(benchmark::State& state)
{
    QTemporaryDir folder;
    auto previous = InstallSettingsStore(std::make_unique<CMemorySettingsStore>());
    Write(settings::kRootFolder, folder.path() + QLatin1Char('/'));
    {
        CMainDoc doc(true);
        std::vector<CFrame*> objects;
        for (int i = 0; i < 256; ++i) {
            auto object = std::make_unique<CFrame>();
            object->rect = CRect{i % 16 * 120, i / 16 * 67, i % 16 * 120 + 110, i / 16 * 67 + 60};
            object->group = QStringLiteral("Group %1").arg(i % 16);
            object->startDelay = i * 250;
            objects.push_back(object.get());
            doc.page.AddObject(object);
        }
        CPropertiesView pane(doc);
        pane.setAttribute(Qt::WA_DontShowOnScreen);
        pane.resize(420, 900);
        pane.show();
        QApplication::processEvents();
        QImage screen(pane.Grid()->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        size_t next = 0;
        for (auto _ : state) {
            doc.SetSelection(objects[next]);
            next = (next + 1) % objects.size();
            pane.Refill();
            pane.Grid()->viewport()->render(&screen);
            benchmark::DoNotOptimize(screen.constBits());
        }
    }
    InstallSettingsStore(std::move(previous));
}
BENCHMARK(BM_PropertyGridFollowsSelection)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return RunBenchmarksWithQt<QApplication>(argc, argv);
}
