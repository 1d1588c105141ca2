// Which frames of a measured run were late, and which of them the text
// thread may have made so.

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

}  // namespace
