// The text thread's work per chunk: a timer object whose text changes every
// output frame is checked, substituted and laid out again each frame; a
// rolling text is laid out 2048 rows at a time.
#include "QtBenchmarkMain.h"

#include "content/FramePlayer.h"
#include "content/FrameTextLayout.h"
#include "content/RichEditTextRenderer.h"
#include "model/Frame.h"
#include "playback/FrameTextSource.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <optional>

namespace {

constexpr double kFrameMicros = 20000.0;  // one 50 Hz output frame

// Times the loop body and reports the share of one output frame that an
// iteration takes, in percent (wall time: the text thread's own clock).
class FrameShare
{
public:
    explicit FrameShare(benchmark::State& state)
        : state_(state)
    {
    }
    ~FrameShare()
    {
        const double micros = std::chrono::duration<double, std::micro>(Clock::now() - start_).count();
        if (state_.iterations() > 0)
            state_.counters["frame_percent"] = micros / double(state_.iterations()) / kFrameMicros * 100.0;
    }

private:
    using Clock = std::chrono::steady_clock;
    benchmark::State& state_;
    Clock::time_point start_ = Clock::now();
};

// A 200 x 60 timer object with the default template, counting down with
// hundredths: its text differs every frame, so every frame is a source check,
// a substitution and a full chunk.
void BM_TimerObjectChunk(benchmark::State& state)
{
    CFrame timer;
    timer.textSource = kSourceTimer;
    timer.timerDirection = kTimerDown;
    timer.timerStart = 3600;
    timer.timerStop = 0;
    timer.timerFormat = QStringLiteral("%M:%S.%h");
    CFrameTextSource(timer).BuildDefaultText();
    timer.rect = CRect{0, 0, 200, 60};
    timer.framePeriod = int(kFrameMicros);
    CFramePlayer(timer).Play();
    CRichEditTextRenderer renderer;
    CFrameTextLayout(timer).InvokeRender(renderer);
    int rendered = 0;
    std::optional<FrameShare> share;
    for (auto _ : state) {
        if (!share)
            share.emplace(state);
        // What the render thread does between two passes: the frame's time
        // goes by, the chunk is taken and the due check is flagged.
        timer.elapsed.store((timer.elapsed.load() + 20) % 3600000);
        timer.chunkReady.store(0);
        timer.sourceCheckDue.store(1);
        CFrameTextLayout(timer).InvokeRender(renderer);
        rendered += timer.chunkReady.load();
    }
    share.reset();
    if (rendered != int(state.iterations()))
        state.SkipWithError("a frame without a new chunk");
    timer.playing.store(0);
}
BENCHMARK(BM_TimerObjectChunk)->Unit(benchmark::kMicrosecond);

// One 2048-row chunk of a rolling text as wide as a 1080-line canvas.
void BM_RollChunk(benchmark::State& state)
{
    CFrame roll;
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Arial;}}\\pard\\f0\\fs56 ";
    for (int i = 0; i < 400; ++i)
        rtf += "Line " + QByteArray::number(i) + " of the closing credits, with a name and a role\\par ";
    roll.richText = rtf + "}";
    roll.rect = CRect{0, 0, 1920, 1080};
    roll.movement = kMovementRoll;
    roll.leadDone = 1;
    CRichEditTextRenderer renderer;
    CPicture chunk;
    std::optional<FrameShare> share;
    for (auto _ : state) {
        if (!share)
            share.emplace(state);
        int position = 0, total = 0, width = 0, height = 0;
        CFrameTextLayout(roll).RenderTextChunk(chunk, position, renderer, false, total, width, height);
        benchmark::DoNotOptimize(chunk.pixels.data());
    }
    share.reset();
}
BENCHMARK(BM_RollChunk)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return RunBenchmarksWithQt<QGuiApplication>(argc, argv);
}
