// Errors that come with output frames reach the log at most once a second.

#include "render/core/FrameErrorLog.h"

#include <gtest/gtest.h>


namespace {

TEST(FrameErrorLog, FirstAtOnceThenOnceASecondWithTheCount)
{
    using std::chrono::milliseconds;
    struct Case
    {
        int atMs;
        int line;  // what Note returns: the errors a line written now reports
    } cases[] = {
        {0, 1},     // the first error: at once
        {20, 0},    // held back
        {40, 0},
        {999, 0},
        {1000, 4},  // a second after the last line: it and the three before
        {1020, 0},
        {5000, 2},  // after a quiet spell: the one held back and this one
        {6000, 1},
    };
    CFrameErrorLog log;
    const CFrameErrorLog::Clock::time_point start{};
    for (const Case& c : cases)
        EXPECT_EQ(log.Note(start + milliseconds(c.atMs)), c.line) << "at " << c.atMs << " ms";
    EXPECT_EQ(log.TakeHeldBack(), 0);
    EXPECT_EQ(log.Note(start + milliseconds(6500)), 0);
    EXPECT_EQ(log.TakeHeldBack(), 1) << "what waits is given for a last line";
    EXPECT_EQ(log.TakeHeldBack(), 0);
}

}  // namespace
