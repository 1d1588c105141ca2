// Importing a 250-frame 1280 x 720 video (AVI, MPEG-4 part 2 at 40 Mbit/s,
// 25 frames per second, every frame different) as an animation in the 720p50 mode: the
// time the import takes and the peak memory of the process during it
// ("peakMB", the high-water mark reset just before the import).
#include "BenchPictures.h"
#include "../tests/content/VideoFixture.h"

#include "content/PictureImport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

constexpr int kWidth = 1280, kHeight = 720, kFrames = 250;

class CSilentFeedback : public IImportFeedback
{
public:
    bool Ask(const CUserMessage&) override { return true; }
    void Show(const CUserMessage& message) override { std::fprintf(stderr, "%s\n", qPrintable(message.text)); }
    void BeginProgress(int) override {}
    bool Progress(int) override { return true; }
    void EndProgress() override {}
};

// Resident memory high-water mark in MB, and its reset.
double PeakMegabytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

void BM_ImportVideo(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("clip.avi"));
    // Noise over a gradient, shifted every frame: nothing for run-length
    // coding to save, as in camera footage.
    const CPicture base = benchpictures::Photo(kWidth + kFrames, kHeight);
    const bool written = fixtures::WriteVideo(path, "mpeg4", AV_PIX_FMT_YUV420P, kWidth, kHeight, 25, kFrames,
                                              [&base](int i) {
                                                  CPicture frame;
                                                  frame.Resize(kWidth, kHeight);
                                                  for (int y = 0; y < kHeight; ++y)
                                                      std::memcpy(frame.Row(y), base.Row(y) + i, kWidth * 4);
                                                  return frame;
                                              },
                                              int64_t(40) << 20);
    if (!written) {
        state.SkipWithError("the video could not be written");
        return;
    }
    CImportTarget target;
    target.canvasWidth = kWidth;
    target.canvasHeight = kHeight;
    target.framePeriod = 20000;
    CSilentFeedback feedback;
    double peak = 0;
    size_t frames = 0;
    for (auto _ : state) {
        ResetPeak();
        CPictureImportResult result = ImportPictureObject(path, target, feedback);
        peak = std::max(peak, PeakMegabytes());
        frames = result.object ? result.object->backgroundFrames.size() : 0;
    }
    state.counters["frames"] = double(frames);
    state.counters["peakMB"] = peak;
    state.counters["fileMB"] = double(QFile(path).size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_ImportVideo)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
