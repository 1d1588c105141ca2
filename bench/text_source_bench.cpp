// Text sources run on the text thread: a timer object formats its text every
// output frame, and file sources decode whole files when they change.
#include "app/MemorySettingsStore.h"
#include "app/SettingsRegister.h"
#include "model/Frame.h"
#include "playback/CsvSource.h"
#include "playback/FrameTextSource.h"
#include "playback/TextFileSource.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void BM_FormatTimer(benchmark::State& state)
{
    CFrame timer;
    timer.textSource = kSourceTimer;
    timer.timerDirection = kTimerDown;
    timer.timerStart = 3600;
    timer.timerStop = 0;
    timer.timerFormat = QStringLiteral("%H:%M:%S.%d");
    timer.playing = 1;
    for (auto _ : state) {
        timer.elapsed = (timer.elapsed + 20) % 3600000;
        benchmark::DoNotOptimize(CFrameTextSource(timer).FormatTimer());
    }
    timer.playing = 0;
}
BENCHMARK(BM_FormatTimer);

// A file of `lines` lines of 60 characters in the given encoding.
QString WriteFile(QTemporaryDir& dir, const char* name, const QByteArray& prefix, const QByteArray& line, int lines)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(prefix);
        for (int i = 0; i < lines; ++i)
            file.write(line);
    }
    return path;
}

void BM_ReadTextFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const bool utf8 = state.range(0) == 1;
    const QByteArray line = utf8 ? QByteArray("Gr\xC3\xBC\xC3\x9F" "e aus K\xC3\xB6ln, heute 21 \xC2\xB0" "C und sonnig; "
                                              "morgen Regen\r\n")
                                 : QByteArray("Gr\xFC\xDF" "e aus K\xF6ln, heute 21 \xB0" "C und sonnig; morgen Regen\r\n");
    const QString path = WriteFile(dir, "news.txt", utf8 ? QByteArray("\xEF\xBB\xBF") : QByteArray(), line, 16384);
    QString text;
    for (auto _ : state) {
        ReadTextFile(path, kEncodingAuto, kMovementRoll, text);
        benchmark::DoNotOptimize(text.size());
    }
    state.SetBytesProcessed(state.iterations() * line.size() * 16384);
    state.SetLabel(utf8 ? "UTF-8" : "ANSI 1252");
}
BENCHMARK(BM_ReadTextFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ReadCsvFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = WriteFile(dir, "rows.csv", "Name;Team;Time\n", "\"Tom Smith\";Team A;1:02.345\n", 50000);
    CFrameSourceData data;
    for (auto _ : state) {
        ReadCsvFile(data, path, kEncodingAuto, kSeparatorSemicolon, 1);
        benchmark::DoNotOptimize(data.rows.size());
    }
    state.SetItemsProcessed(state.iterations() * 50000);
}
BENCHMARK(BM_ReadCsvFile)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    InstallSettingsStore(std::make_unique<CMemorySettingsStore>());
    Write(settings::kAnsiCodePage, 1252);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
