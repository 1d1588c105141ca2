// Which frames of a measured run were late, and which of them the text
// thread may have made so; in a paced run, which thread made each late.

#include "render/core/LateFrames.h"

#include <gtest/gtest.h>

namespace {

constexpr int kPeriodUs = 20000;

TEST(LateFrames, AFrameIsTheTextThreadsOnlyWhenItsTimeCoversTheLateness)
{
    struct Case
    {
        int wallUs;
        int textCpuUs;
        bool over;
        bool byText;
    } cases[] = {
        {5000, 0, false, false},
        {kPeriodUs, 9000, false, false},       // at the period is in time
        {25000, 0, true, false},               // the text thread did not run
        {25000, 4000, true, false},            // 21 ms without it: still late
        {25000, 5000, true, true},             // 20 ms without it: in time
        {37600, 30000, true, true},
        {25000, -1, true, true},               // its time unknown: it may have
    };
    for (const Case& c : cases) {
        CRenderStatistics statistics;
        statistics.frameTimesUs = {c.wallUs};
        statistics.renderCpuUs = {c.wallUs / 2};
        statistics.textCpuUs = {c.textCpuUs};
        const LateFrames late = FindLateFrames(statistics, kPeriodUs, 10);
        EXPECT_EQ(late.overBudget, c.over ? 1 : 0) << c.wallUs << " " << c.textCpuUs;
        EXPECT_EQ(late.overByText, c.byText ? 1 : 0) << c.wallUs << " " << c.textCpuUs;
    }
}

TEST(LateFrames, CountsFramesBesideLayoutAndListsTheFirstLateOnes)
{
    CRenderStatistics statistics;
    //                        0     1      2      3     4      5      6     7
    statistics.frameTimesUs = {3000, 21000, 3000, 3000, 30000, 22000, 3000, 40000};
    statistics.textCpuUs = {0, 0, 0, 0, 0, 0, 0, 0};
    statistics.renderCpuUs = statistics.frameTimesUs;
    statistics.layoutSpans = {{1, 2}, {4, 4}};
    const LateFrames late = FindLateFrames(statistics, kPeriodUs, 2);
    EXPECT_EQ(late.frames, 8);
    EXPECT_EQ(late.longestUs, 40000);
    EXPECT_EQ(late.overBudget, 4);
    EXPECT_EQ(late.besideLayout, 3);      // 1, 2, 4
    EXPECT_EQ(late.overBesideLayout, 2);  // 1, 4
    EXPECT_EQ(late.overByText, 0);
    EXPECT_EQ(late.listed, (std::vector<int>{1, 4}));

    // No text thread time recorded: every late frame may be its.
    statistics.textCpuUs.clear();
    EXPECT_EQ(FindLateFrames(statistics, kPeriodUs, 2).overByText, 4);
}

TEST(LateFrames, APacedFrameIsTheRenderThreadsTheTextThreadsOrTheMachines)
{
    struct Case
    {
        int lateUs;
        int renderCpuUs;
        int textCpuUs;
        int drawingWaitUs;
        LateCause cause;
    } cases[] = {
        {3000, kPeriodUs + 1, 0, 0, LateCause::kRenderThread},        // more than a period of its own work
        {3000, kPeriodUs + 1, 9000, 9000, LateCause::kRenderThread},  // ... whatever the text thread did
        {3000, kPeriodUs, 0, 0, LateCause::kMachine},                 // a whole period of work still fits
        {3000, 5000, 3000, 3000, LateCause::kTextThread},             // in time without the text thread
        {3000, 5000, 2999, 9000, LateCause::kMachine},                // still late without it
        {3000, 5000, 9000, 2999, LateCause::kMachine},                // it ran, but could not hold it up so long
        {3000, 5000, 9000, 0, LateCause::kMachine},                   // ... nothing that draws waited for it
        {3000, 5000, 9000, -1, LateCause::kTextThread},               // waits unknown: judged by its time
        {3000, 5000, -1, 3000, LateCause::kTextThread},               // its time unknown: it may have
        {3000, 5000, -1, -1, LateCause::kTextThread},
        {3000, 5000, -1, 0, LateCause::kMachine},                     // ... but nothing waited for it
        {45000, 2000, 30000, 40000, LateCause::kMachine},             // late by more than it ran
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CauseOfLateFrame(c.lateUs, c.renderCpuUs, c.textCpuUs, c.drawingWaitUs, kPeriodUs), c.cause)
            << c.lateUs << " " << c.renderCpuUs << " " << c.textCpuUs << " " << c.drawingWaitUs;
    }
}

TEST(LateFrames, CountsMissedDeadlinesByCause)
{
    CRenderStatistics statistics;
    //                       0  1     2      3     4     5
    statistics.lateUs = {0, 4000, 0, 1000, 9000, 200};
    statistics.renderCpuUs = {5000, 25000, 5000, 5000, 5000, 5000};
    statistics.textCpuUs = {0, 0, 0, 1000, 9000, -1};
    statistics.drawingWaitUs = {0, 0, 0, 1500, 500, 300};
    statistics.frameTimesUs = {5000, 24000, 5000, 21000, 29000, 20200};
    const MissedDeadlines missed = FindMissedDeadlines(statistics, kPeriodUs, 3);
    EXPECT_EQ(missed.frames, 6);
    EXPECT_EQ(missed.missed, 4);
    EXPECT_EQ(missed.byRenderThread, 1);  // 1
    EXPECT_EQ(missed.byTextThread, 2);    // 3, 5
    EXPECT_EQ(missed.byMachine, 1);       // 4
    EXPECT_EQ(missed.mostLateUs, 9000);
    EXPECT_EQ(missed.listed, (std::vector<int>{1, 3, 4}));

    // A run that was not paced has no deadlines to miss.
    statistics.lateUs.clear();
    EXPECT_EQ(FindMissedDeadlines(statistics, kPeriodUs, 3).missed, 0);
}

}  // namespace
