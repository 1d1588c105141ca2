#include "tool/PacedRun.h"
#include "tool/PageInput.h"
#include "tool/ThreadTimes.h"
#include "tool/ToolCommand.h"

#include "content/FramePlayer.h"
#include "render/core/LateFrames.h"
#include "render/core/Render.h"
#include "render/display/VideoMode.h"

#include <QFile>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

constexpr int kDefaultSeconds = 3600;
constexpr int kFirstMinuteMs = 60000;
constexpr int kPollMs = 100;
// Frame times kept: an hour at several hundred frames a second.
constexpr int kMaxRecordedFrames = 4000000;
constexpr int kListedSlowFrames = 10;

// Resident memory of this process in KiB (VmRSS), 0 where unknown.
long ResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    // Files under /proc report no size: read until the end, not to it.
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).simplified().split(' ').value(0).toLong();
    }
    return 0;
}

QString Mib(long kib)
{
    return QString::number(kib / 1024.0, 'f', 1) + QStringLiteral(" MiB");
}

int RunSoak(const QStringList& givenArguments)
{
    QStringList arguments = givenArguments;
    const bool paced = TakePacedOption(arguments);
    PlayOptions options;
    QStringList other;
    if (!ParsePlayOptions(QStringLiteral("soak"), arguments, {}, options, other))
        return kUsageError;
    if (options.device == QLatin1String("all")) {
        ToolError(QStringLiteral("tavrel-tool soak: --device takes auto, cpu or gl\n"));
        return kUsageError;
    }
    if (IsScriptInput(options.input)) {
        ToolError(QStringLiteral("tavrel-tool soak: give a page (.tavrel)\n"));
        return 1;
    }
    const VideoMode& mode = *options.mode;
    // Without --frames the run lasts --seconds (default an hour) of wall
    // time; with it, until that many frames are drawn.
    const double seconds = options.frames > 0 ? 0 : (options.seconds > 0 ? options.seconds : kDefaultSeconds);
    CFrameSet page;
    if (const int status = LoadPageInto(options.input, mode, page))
        return status;
    FrameList objects;
    page.TakeSnapshot(objects);
    for (CFrame* object : objects)
        CFramePlayer(*object).Play();
    page.ReleaseSnapshot();

    const long rssBefore = ResidentKiB();
    CRenderEnvironment environment;
    environment.target = CRenderEnvironment::Target::kOffscreen;
    environment.pacedOffscreen = paced;
    environment.device = options.device;
    // An unpaced loop must not starve the machine, nor a paced one whose
    // frames come late (they do not wait).
    environment.raisePriorities = false;
    environment.recordFrames = kMaxRecordedFrames;
    OutputEngineParams params = OutputParamsForMode(page, mode);
    params.fullRange = 0;
    CRender render(params, environment);
    if (render.renderError.load() != 0 || !render.Device()) {
        ToolError(RenderErrorText(render.renderError.load()) + QLatin1Char('\n'));
        return 1;
    }
    ToolOut(QStringLiteral("page %1, mode %2, device %3 (%4), %5\n")
                .arg(options.input, QLatin1String(mode.name), render.Device()->api, render.Device()->renderer,
                     options.frames > 0 ? QStringLiteral("%1 frames").arg(options.frames)
                                        : QStringLiteral("%1 s").arg(seconds, 0, 'f', 0)));
    if (paced)
        ToolOut(QStringLiteral("paced: presentation waits for each frame's deadline, every %1 ms\n")
                    .arg(mode.framePeriodUs / 1000.0, 0, 'f', 3));

    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    long rssFirstMinute = 0;
    int framesFirstMinute = 0;
    int runError = 0;
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
        const auto elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        const int frames = render.FramesPresented();
        if (rssFirstMinute == 0 && elapsedMs >= kFirstMinuteMs) {
            rssFirstMinute = ResidentKiB();
            framesFirstMinute = frames;
            ToolOut(QStringLiteral("after the first minute: %1 frames, resident memory %2\n").arg(frames).arg(Mib(rssFirstMinute)));
        }
        if ((runError = render.renderError.load()) != 0)
            break;
        if (options.frames > 0 ? frames >= options.frames : elapsedMs >= seconds * 1000)
            break;
    }
    const long rssEnd = ResidentKiB();
    const double elapsedS = std::chrono::duration<double>(Clock::now() - start).count();
    const CRenderStatistics statistics = render.StopAndCollect();
    if (runError != 0) {
        ToolError(QStringLiteral("tavrel-tool soak: the renderer failed after %1 frames: %2\n")
                      .arg(statistics.frames)
                      .arg(RenderErrorText(runError).replace(QStringLiteral("\n\n"), QStringLiteral(" "))));
        return 1;
    }

    const LateFrames late = FindLateFrames(statistics, mode.framePeriodUs, kListedSlowFrames);
    QStringList slow;
    for (const int frame : late.listed) {
        const size_t at = static_cast<size_t>(frame);
        const int textUs = statistics.textCpuUs[at];
        slow << QStringLiteral("%1 (%2 ms; render thread ran %3 ms, text thread %4)")
                    .arg(frame)
                    .arg(statistics.frameTimesUs[at] / 1000.0, 0, 'f', 3)
                    .arg(statistics.renderCpuUs[at] / 1000.0, 0, 'f', 3)
                    .arg(textUs < 0 ? QStringLiteral("unknown") : QStringLiteral("%1 ms").arg(textUs / 1000.0, 0, 'f', 3));
    }
    const double busiestChunkMs = statistics.busiestTextChunkUs / 1000.0;
    const double periodMs = mode.framePeriodUs / 1000.0;
    ToolOut(QStringLiteral("frames rendered: %1 in %2 s (%3 per second; %4 s of output at %5 Hz)\n")
                .arg(statistics.frames)
                .arg(elapsedS, 0, 'f', 1)
                .arg(statistics.frames / std::max(elapsedS, 1e-3), 0, 'f', 1)
                .arg(statistics.frames * periodMs / 1000.0, 0, 'f', 1)
                .arg(mode.refreshRate));
    ToolOut(QStringLiteral("resident memory: %1 before the renderer, %2 after the first minute, %3 at the end\n")
                .arg(Mib(rssBefore), rssFirstMinute ? Mib(rssFirstMinute) : QStringLiteral("(run shorter than a minute)"),
                     Mib(rssEnd)));
    if (rssFirstMinute)
        ToolOut(QStringLiteral("growth since the first minute: %1 KiB over %2 frames\n")
                    .arg(rssEnd - rssFirstMinute)
                    .arg(statistics.frames - framesFirstMinute));
    ToolOut(QStringLiteral("longest frame: %1 ms; frames over the %2 ms budget: %3%4\n")
                .arg(late.longestUs / 1000.0, 0, 'f', 3)
                .arg(periodMs, 0, 'f', 3)
                .arg(late.overBudget)
                .arg(slow.isEmpty() ? QString() : QStringLiteral(" (first: ") + slow.join(QStringLiteral(", ")) + QLatin1Char(')')));
    ToolOut(ProcessorTimeText(statistics, QString()));
    ToolOut(RenderThreadWorkText(statistics, mode.framePeriodUs, objects, QString()));
    // The render thread never waits for text: the text thread can only make
    // a frame late by taking the machine from it (a frame over budget), or
    // let moving text stand still by not having its next text ready in time.
    // Chunks are laid out ahead of need, so a long one on its own is neither.
    ToolOut(QStringLiteral("text thread: %1 passes, busiest chunk %2 ms; moving text waited for it in %3 frames\n")
                .arg(statistics.textPasses)
                .arg(busiestChunkMs, 0, 'f', 3)
                .arg(statistics.textWaitFrames));
    // Set against the share of all frames drawn beside layout: late frames
    // that come with text no more often than that are not the text's.
    ToolOut(QStringLiteral("frames over budget while the text thread laid out text: %1 of %2 (of all frames: %3 %)\n")
                .arg(late.overBesideLayout)
                .arg(late.overBudget)
                .arg(late.frames ? 100.0 * late.besideLayout / late.frames : 0.0, 0, 'f', 1));
    ToolOut(QStringLiteral("frames over budget by no more than the text thread ran in them: %1 of %2\n")
                .arg(late.overByText)
                .arg(late.overBudget));
    // Paced, a late frame is one that missed its deadline.
    int overBudget = late.overBudget;
    int overByText = late.overByText;
    if (paced) {
        ToolOut(MissedDeadlinesText(statistics, mode.framePeriodUs, kListedSlowFrames, QString()));
        const MissedDeadlines missed = FindMissedDeadlines(statistics, mode.framePeriodUs, 0);
        overBudget = missed.missed;
        overByText = missed.byTextThread;
    }
    if (overByText > 0)
        ToolOut(QStringLiteral("soak: frames over budget by the text thread\n"));
    else if (statistics.textWaitFrames > 0)
        ToolOut(QStringLiteral("soak: text late\n"));
    else if (overBudget > 0)
        ToolOut(QStringLiteral("soak: frames over budget, none by the text thread\n"));
    else
        ToolOut(QStringLiteral("soak: clean\n"));
    return 0;
}

const ToolCommandRegistration registration({
    QStringLiteral("soak"),
    QStringLiteral("play a page for a long time at full speed and watch memory and late frames"),
    QStringLiteral(
        "Usage: tavrel-tool soak PAGE.tavrel --mode NAME [--seconds S | --frames N]\n"
        "           [--device auto|cpu|gl] [--paced]\n"
        "\n"
        "Plays every object of the page through the real renderer and text\n"
        "thread as fast as they go, as `tavrel-tool bench` does, for S seconds\n"
        "(default 3600, an hour) or until N frames are drawn, and prints:\n"
        "resident memory before the renderer starts, after the first minute and\n"
        "at the end; frames rendered; the longest frame and the frames over the\n"
        "mode's frame period (the first ten by number); the text thread's passes\n"
        "and its busiest chunk, the frames in which a scroll or roll stood still\n"
        "because the text thread had not laid out its next text in time, and how\n"
        "many of the frames over the period were drawn while the text thread\n"
        "laid out text, beside the share of all frames drawn so; the processor\n"
        "time per frame of the render thread, the band workers and the text\n"
        "thread, the render thread's longest in one frame, the frames in which\n"
        "it passed half the frame period and its ten heaviest frames, each with\n"
        "the object whose own steps (background frames, text) took longest.\n"
        "The render thread never waits for the text thread: chunks are laid out\n"
        "ahead of need. The text thread, one thread, can hold a frame up by no\n"
        "more than the processor time it had during that frame, which is\n"
        "measured with each frame (beside the render thread's own): a frame over\n"
        "the period by more than that was made late by something else. Last\n"
        "line: \"soak: clean\"; \"soak: frames over budget, none by the text\n"
        "thread\"; \"soak: text late\" (moving text waited); or \"soak: frames\n"
        "over budget by the text thread\" (a frame over the period by no more\n"
        "than the text thread ran in it).\n"
        "--paced: presentation waits for each frame's deadline, as `tavrel-tool\n"
        "bench --paced` does; frame times then run from the deadline of the frame\n"
        "before. Before the last line it prints the frames that missed their\n"
        "deadline (the first ten by number) and what made each late: the render\n"
        "thread (its own processor time in the frame exceeded the period), the\n"
        "text thread (late by no more than it ran in the frame, nor than the\n"
        "other threads waited for a processor meanwhile) or the machine;\n"
        "the last line then speaks of those frames.\n"
        "Exit status: 0 run to the end; 1 the page could not be read or the\n"
        "renderer failed (with the reason); 5 made for another video mode;\n"
        "2 wrong arguments.\n"),
    &RunSoak,
});

}  // namespace
