// Loading a script and saving the automation list run on the user-interface
// thread: the operator waits for them.
#include "app/QSettingsStore.h"
#include "scripts/FrameScript.h"
#include "scripts/FrameScriptScheduleArray.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include "QtBenchmarkMain.h"

#include <benchmark/benchmark.h>

namespace {

void BM_LoadScriptOf100000Steps(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("long.script"));
    CFrameScript script;
    for (int i = 0; i < 100000; ++i)
        script.Append({i % 10, i % 10 < 2 ? folder.filePath(QStringLiteral("Pages/p.tavrel")) : QString(), i});
    if (!script.SaveFile(path))
        state.SkipWithError("cannot write the script");
    for (auto _ : state) {
        CFrameScript loaded;
        benchmark::DoNotOptimize(loaded.LoadFile(path));
    }
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_LoadScriptOf100000Steps)->Unit(benchmark::kMillisecond);

// The automation dialog's OK writes the whole list through the settings store.
void BM_SaveAutomationListOf20Entries(benchmark::State& state)
{
    QTemporaryDir folder;
    CQSettingsStore store(folder.filePath(QStringLiteral("Tavrel.conf")));
    CFrameScriptScheduleArray list;
    for (int i = 1; i < 20; ++i) {
        CFrameScriptSchedule entry;
        entry.file = QStringLiteral("/srv/show/entry%1.script").arg(i);
        entry.playOnTime = 1;
        entry.hotkey = i;
        list.Add(entry);
    }
    for (auto _ : state)
        list.SaveToSettings(store);
}
BENCHMARK(BM_SaveAutomationListOf20Entries)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksWithQt<QCoreApplication>(argc, argv);
}
