// What the render thread records of each frame, paced and unpaced, and the
// pacer that gives the deadlines.

#include "render/core/FramePacer.h"
#include "render/core/FrameRecord.h"

#include <gtest/gtest.h>

#include <iterator>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

FrameClocks At(Clock::time_point start, std::chrono::microseconds wall, int64_t renderUs, int64_t textUs,
                int64_t waitUs = -1)
{
    return {start + wall, renderUs, textUs, waitUs};
}

TEST(FrameRecord, UnpacedFramesFollowOneAnother)
{
    const Clock::time_point t0{};
    CFrameRecord record;
    record.Reserve(2, false);
    record.Begin(At(t0, 0us, 100, 50));
    record.FramePresented(At(t0, 7000us, 6100, 1050), 0);
    record.FramePresented(At(t0, 12000us, 10100, -1), 0);
    record.FramePresented(At(t0, 15000us, 12000, 2000), 0);  // past the limit: not kept
    EXPECT_FALSE(record.Recording());
    CRenderStatistics statistics;
    record.CopyTo(statistics);
    EXPECT_EQ(statistics.frameTimesUs, (std::vector<int>{7000, 5000}));
    EXPECT_EQ(statistics.renderCpuUs, (std::vector<int>{6000, 4000}));
    EXPECT_EQ(statistics.textCpuUs, (std::vector<int>{1000, -1}));
    EXPECT_TRUE(statistics.lateUs.empty());
    EXPECT_TRUE(statistics.drawingWaitUs.empty());
}

// The frames in which the render thread ran longest are kept, longest
// first, each with what its objects' steps took; the band workers' time is
// the growth of their clock over the recorded frames.
TEST(FrameRecord, KeepsTheRenderThreadsHeaviestFramesAndTheHelpersTime)
{
    const Clock::time_point t0{};
    const int renderUs[] = {3000, 9000, 1000, 4000, 9000, 2000, 7000, 5000, 6000, 8000, 500, 12000};
    const int frames = static_cast<int>(std::size(renderUs));
    CFrameRecord record;
    record.Reserve(frames, false);
    FrameClocks clocks = At(t0, 0us, 0, 0);
    clocks.helperCpuUs = 1000;
    record.Begin(clocks);
    for (int i = 0; i < frames; ++i) {
        record.NoteObjectSteps(renderUs[i] / 2, i % 3, renderUs[i] / 4);
        clocks.wall += 20ms;
        clocks.renderCpuUs += renderUs[i];
        clocks.helperCpuUs += 700;
        record.FramePresented(clocks, 0);
    }
    CRenderStatistics statistics;
    record.CopyTo(statistics);
    EXPECT_EQ(statistics.helperCpuUs, 700 * frames);
    ASSERT_EQ(statistics.heaviestRenderFrames.size(), size_t(CRenderStatistics::kHeaviestRenderFrames));
    const int expected[] = {11, 1, 4, 9, 6, 8, 7, 3, 0, 5};  // equal times keep the earlier frame first
    for (int k = 0; k < CRenderStatistics::kHeaviestRenderFrames; ++k) {
        SCOPED_TRACE(k);
        const RenderThreadFrame& f = statistics.heaviestRenderFrames[size_t(k)];
        EXPECT_EQ(f.frame, expected[k]);
        EXPECT_EQ(f.renderCpuUs, renderUs[expected[k]]);
        EXPECT_EQ(f.beganUs, 20000 * expected[k]);
        EXPECT_EQ(f.objectsCpuUs, renderUs[expected[k]] / 2);
        EXPECT_EQ(f.slowestObject, expected[k] % 3);
        EXPECT_EQ(f.slowestObjectUs, renderUs[expected[k]] / 4);
    }

    // A device that cannot tell its helpers' time says so.
    CFrameRecord unknown;
    unknown.Reserve(1, false);
    unknown.Begin(At(t0, 0us, 0, 0));
    unknown.FramePresented(At(t0, 20000us, 100, 0), 0);
    CRenderStatistics none;
    unknown.CopyTo(none);
    EXPECT_EQ(none.helperCpuUs, -1);
    ASSERT_EQ(none.heaviestRenderFrames.size(), 1u);
    EXPECT_EQ(none.heaviestRenderFrames[0].slowestObject, -1);
}

// Paced, the sleep between frames belongs to neither; a frame begins at the
// deadline it follows. Of what the text thread ran during the sleep, only
// the part after that deadline (the render thread woke late) counts to the
// next frame.
TEST(FrameRecord, APacedFrameBeginsAtTheDeadlineItFollows)
{
    const Clock::time_point t0{};
    // The waits of the drawing threads count as the text thread's time does.
    struct Case
    {
        const char* what;
        std::chrono::microseconds woke;
        int64_t atWake;  // the text thread's time and the waits when it woke
        int frameUs;
        int textUs;
    } cases[] = {
        {"woke on time", 20000us, 1500, 8000, 1000},
        {"woke 3 ms late, the text thread ran 5 ms asleep", 23000us, 6000, 8000, 1000 + 3000},
        {"woke 3 ms late, the text thread ran 1 ms asleep", 23000us, 2000, 8000, 1000 + 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CFrameRecord record;
        record.Reserve(4, true);
        record.Begin(At(t0, 0us, 0, 0, 0));
        record.FramePresented(At(t0, 10000us, 9000, 1000, 1000), 0);
        record.SleptUntil(t0 + 20000us, At(t0, c.woke, 9010, c.atWake, c.atWake));
        record.FramePresented(At(t0, 28000us, 16000, c.atWake + 1000, c.atWake + 1000), 2500);
        CRenderStatistics statistics;
        record.CopyTo(statistics);
        ASSERT_EQ(statistics.frameTimesUs.size(), 2u);
        EXPECT_EQ(statistics.frameTimesUs[1], c.frameUs);
        EXPECT_EQ(statistics.renderCpuUs[1], 16000 - 9010);
        EXPECT_EQ(statistics.textCpuUs[1], c.textUs);
        EXPECT_EQ(statistics.drawingWaitUs, (std::vector<int>{1000, c.textUs}));
        EXPECT_EQ(statistics.lateUs, (std::vector<int>{0, 2500}));
    }

    // The waits become known only once the text thread runs.
    CFrameRecord record;
    record.Reserve(2, true);
    record.Begin(At(t0, 0us, 0, -1, -1));
    record.FramePresented(At(t0, 5000us, 4000, 0, 700), 0);
    record.FramePresented(At(t0, 9000us, 7000, 100, 900), 0);
    CRenderStatistics statistics;
    record.CopyTo(statistics);
    EXPECT_EQ(statistics.drawingWaitUs, (std::vector<int>{-1, 200}));
}

// Off-screen the pacer judges a frame by when it was presented, however
// long after that the render thread comes to it. The times lie in the past,
// so nothing sleeps.
TEST(FrameRecord, PacerJudgesAFrameByItsPresentation)
{
    constexpr std::chrono::microseconds kPeriod{20000};
    const Clock::time_point t0 = Clock::now() - 1h;
    struct Step
    {
        std::chrono::microseconds presented;
        int lateUs;
        bool slept;
    } steps[] = {
        {0us, 0, false},                        // the first frame sets the cadence: next deadline 20 ms
        {kPeriod + 3000us, 3000, false},        // next deadline 40 ms
        {2 * kPeriod + 1000us, 1000, false},    // next 60 ms
        {2 * kPeriod + 15000us, 0, true},       // in time: waits for 60 ms; next 80 ms
        {5 * kPeriod + 1000us, 21000, false},   // more than a period late: the cadence starts again
        {5 * kPeriod + 5000us, 0, true},        // from 101 ms: waits for 121 ms
    };
    CFramePacer pacer(static_cast<int>(kPeriod.count()));
    for (const Step& step : steps) {
        EXPECT_EQ(pacer.WaitForDeadline(t0 + step.presented), step.lateUs) << step.presented.count();
        EXPECT_EQ(pacer.SleptUntil() != Clock::time_point{}, step.slept) << step.presented.count();
    }
}

// Only lower bounds on time are asserted: a loaded machine makes frames
// later, never earlier.
TEST(FrameRecord, PacerReportsHowLateAFrameWas)
{
    constexpr int kPeriodUs = 50000;
    CFramePacer pacer(kPeriodUs);
    EXPECT_EQ(pacer.FramePresented(Clock::now()), 0) << "the first frame sets the cadence";
    // Right after: either in time, having slept until the deadline, or late
    // without sleeping.
    const int next = pacer.FramePresented(Clock::now());
    EXPECT_EQ(next == 0, pacer.SleptUntil() != Clock::time_point{});
    std::this_thread::sleep_for(std::chrono::microseconds(2 * kPeriodUs + 20000));
    EXPECT_GE(pacer.FramePresented(Clock::now()), kPeriodUs + 20000);
    EXPECT_EQ(pacer.SleptUntil(), Clock::time_point{});

    // Without a period nothing waits and nothing is late.
    CFramePacer unpaced;
    EXPECT_EQ(unpaced.FramePresented(Clock::now()), 0);
    EXPECT_EQ(unpaced.FramePresented(Clock::now()), 0);
    EXPECT_EQ(unpaced.SleptUntil(), Clock::time_point{});
}

}  // namespace
