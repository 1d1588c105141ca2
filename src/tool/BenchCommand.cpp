#include "tool/PacedRun.h"
#include "tool/PageInput.h"
#include "tool/ThreadTimes.h"
#include "tool/ToolCommand.h"

#include "content/FramePlayer.h"
#include "render/core/Render.h"
#include "render/display/VideoMode.h"

#include <algorithm>
#include <chrono>
#include <numeric>
#include <thread>

namespace {

constexpr double kDefaultSeconds = 5;
// Frames kept per run: far more than any machine draws in an hour-long run
// of a page that holds real time would need to be told apart from a failure.
constexpr int kMaxRecordedFrames = 2000000;

struct BenchResult
{
    bool started = false;
    int renderError = 0;
    QString description;
    bool softwareRasteriser = false;
    int frames = 0;
    double meanMs = 0;
    double p99Ms = 0;
    double maxMs = 0;
    double busiestChunkMs = 0;
    bool realtime = false;
    QString processorTime;    // the threads' own processor time per frame
    QString missedDeadlines;  // paced: the lines about late frames
};

BenchResult Measure(const PlayOptions& options, const QString& device, double seconds, bool paced, int* loadStatus)
{
    BenchResult result;
    const VideoMode& mode = *options.mode;
    CFrameSet page;
    *loadStatus = LoadPageInto(options.input, mode, page);
    if (*loadStatus)
        return result;
    // Every object plays from the first frame on.
    FrameList objects;
    page.TakeSnapshot(objects);
    for (CFrame* object : objects)
        CFramePlayer(*object).Play();
    page.ReleaseSnapshot();

    CRenderEnvironment environment;
    environment.target = CRenderEnvironment::Target::kOffscreen;
    // As fast as it goes, or waiting for each frame's deadline.
    environment.pacedOffscreen = paced;
    environment.device = device;
    // An unpaced loop never waits: under real-time scheduling it would
    // starve the machine it measures. Paced, a page that does not hold real
    // time would too (late frames do not wait), so both keep normal priority.
    environment.raisePriorities = false;
    environment.recordFrames = kMaxRecordedFrames;
    OutputEngineParams params = OutputParamsForMode(page, mode);
    params.fullRange = 0;
    CRender render(params, environment);
    result.renderError = render.renderError.load();
    if (result.renderError != 0 || !render.Device())
        return result;
    result.started = true;
    result.description = render.Device()->api + QStringLiteral(" (") + render.Device()->renderer + QLatin1Char(')');
    result.softwareRasteriser = render.Device()->softwareRasteriser;
    std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int64_t>(seconds * 1000)));
    const CRenderStatistics statistics = render.StopAndCollect();

    std::vector<int> times = statistics.frameTimesUs;
    result.frames = static_cast<int>(times.size());
    result.busiestChunkMs = statistics.busiestTextChunkUs / 1000.0;
    result.processorTime = ProcessorTimeText(statistics, QStringLiteral("  "));
    if (paced)
        result.missedDeadlines = MissedDeadlinesText(statistics, mode.framePeriodUs, 0, QStringLiteral("  "));
    if (times.empty())
        return result;
    result.meanMs = std::accumulate(times.begin(), times.end(), 0.0) / static_cast<double>(times.size()) / 1000.0;
    std::sort(times.begin(), times.end());
    const size_t p99 = std::min(times.size() - 1, (times.size() * 99 + 99) / 100 - 1);
    result.p99Ms = times[p99] / 1000.0;
    result.maxMs = times.back() / 1000.0;
    result.realtime = result.p99Ms * 1000.0 <= mode.framePeriodUs;
    return result;
}

int RunBench(const QStringList& givenArguments)
{
    QStringList arguments = givenArguments;
    const bool paced = TakePacedOption(arguments);
    PlayOptions options;
    options.device = QStringLiteral("all");
    QStringList other;
    if (!ParsePlayOptions(QStringLiteral("bench"), arguments, {}, options, other))
        return kUsageError;
    if (options.frames > 0) {
        ToolError(QStringLiteral("tavrel-tool bench: runs for --seconds, not a number of frames\n"));
        return kUsageError;
    }
    if (IsScriptInput(options.input)) {
        ToolError(QStringLiteral("tavrel-tool bench: scripts cannot be measured yet; give a page (.tavrel)\n"));
        return 1;
    }
    const double seconds = options.seconds > 0 ? options.seconds : kDefaultSeconds;
    const VideoMode& mode = *options.mode;
    const double periodMs = mode.framePeriodUs / 1000.0;
    ToolOut(QStringLiteral("page %1, mode %2, frame period %3 ms, %4 s per device\n")
                .arg(options.input, QLatin1String(mode.name))
                .arg(periodMs, 0, 'f', 3)
                .arg(seconds, 0, 'f', 1));
    if (paced)
        ToolOut(QStringLiteral("paced: presentation waits for each frame's deadline, every %1 ms\n").arg(periodMs, 0, 'f', 3));

    const QStringList devices = options.device == QLatin1String("all") ? QStringList{"cpu", "gl"} : QStringList{options.device};
    const auto percent = [periodMs](double ms) { return QString::number(100.0 * ms / periodMs, 'f', 1); };
    int measured = 0;
    bool verdict = false;
    bool verdictFromHardware = false;
    for (const QString& device : devices) {
        int loadStatus = 0;
        const BenchResult r = Measure(options, device, seconds, paced, &loadStatus);
        if (loadStatus)
            return loadStatus;
        if (!r.started) {
            ToolOut(QStringLiteral("%1: not available here (%2)\n").arg(device, RenderErrorText(r.renderError).replace(QStringLiteral("\n\n"), QStringLiteral(" "))));
            continue;
        }
        ++measured;
        ToolOut(QStringLiteral("%1\n"
                               "  frames rendered: %2\n"
                               "  mean frame time: %3 ms (%4 %)\n"
                               "  99th percentile: %5 ms (%6 %)\n"
                               "  maximum:         %7 ms (%8 %)\n"
                               "  text thread's busiest chunk time: %9 ms\n")
                    .arg(r.description)
                    .arg(r.frames)
                    .arg(r.meanMs, 0, 'f', 3)
                    .arg(percent(r.meanMs))
                    .arg(r.p99Ms, 0, 'f', 3)
                    .arg(percent(r.p99Ms))
                    .arg(r.maxMs, 0, 'f', 3)
                    .arg(percent(r.maxMs))
                    .arg(r.busiestChunkMs, 0, 'f', 3)
                + r.processorTime + r.missedDeadlines);
        // The verdict is the device the output would use: OpenGL on a
        // hardware driver, else the CPU device.
        const bool hardwareGl = device == QLatin1String("gl") && !r.softwareRasteriser;
        if (measured == 1 || hardwareGl || (device == QLatin1String("cpu") && !verdictFromHardware)) {
            verdict = r.realtime;
            verdictFromHardware = hardwareGl;
        }
    }
    if (measured == 0) {
        ToolError(QStringLiteral("tavrel-tool bench: no graphics device could be made\n"));
        return 1;
    }
    ToolOut(verdict ? QStringLiteral("realtime: yes\n") : QStringLiteral("realtime: no\n"));
    return 0;
}

const ToolCommandRegistration registration({
    QStringLiteral("bench"),
    QStringLiteral("measure whether a page holds real time on this machine"),
    QStringLiteral(
        "Usage: tavrel-tool bench PAGE.tavrel --mode NAME [--seconds S]\n"
        "           [--device all|auto|cpu|gl] [--paced]\n"
        "\n"
        "Plays every object of the page through the real renderer and text\n"
        "thread at the display size of the mode, as fast as they go (presentation\n"
        "does not wait for a display), for S seconds (default 5) per device, and\n"
        "prints per device: frames rendered, mean, 99th percentile and maximum\n"
        "frame time in ms and as a percentage of the mode's frame period, and the\n"
        "text thread's busiest chunk time, and the processor time per frame of\n"
        "the render thread, the CPU device's band workers and the text thread\n"
        "(from the threads' own clocks: work done, which the load of the machine\n"
        "hardly changes). --device all (the default) measures the CPU device and\n"
        "the OpenGL device where there is one.\n"
        "\n"
        "--paced: presentation waits for each frame's deadline, one frame period\n"
        "after the last, as on a display whose vertical blank does not block; a\n"
        "frame then begins at the deadline of the one before (or when that one\n"
        "was presented, if it was late), and its frame time runs from there. Per\n"
        "device it also prints how many frames missed their deadline, the most\n"
        "late, and what made each late: the render thread (its own processor\n"
        "time in the frame exceeded the period), the text thread (the frame was\n"
        "late by no more than the text thread ran in it, nor than the other\n"
        "threads waited for a processor meanwhile) or the machine (neither).\n"
        "\n"
        "The last line is \"realtime: yes\" when the 99th percentile frame time of\n"
        "the device the output would use (OpenGL on a hardware driver, else the\n"
        "CPU device) is within the frame period, else \"realtime: no\".\n"),
    &RunBench,
});

}  // namespace
