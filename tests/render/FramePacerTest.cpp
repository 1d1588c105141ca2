// Pacing of Present where presenting does not wait for the display.
#include "render/core/FramePacer.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

// A present that took half a frame looks like one that waited for the
// vertical blank, and the pacer only follows it. Kept to the clock alone
// (the alternative vertical sync) it sleeps to every frame deadline,
// however long presenting took.
TEST(FramePacer, SlowPresentsAreFollowedUnlessTheClockAloneCounts)
{
    constexpr std::chrono::milliseconds kPeriod(20);
    for (bool clockOnly : {false, true}) {
        SCOPED_TRACE(clockOnly ? "clock alone" : "display");
        CFramePacer pacer(20000);
        pacer.SetClockOnly(clockOnly);
        const auto start = CFramePacer::Clock::now();
        for (int frame = 0; frame < 6; ++frame)
            pacer.FramePresented(CFramePacer::Clock::now() - kPeriod / 2);
        const auto elapsed = CFramePacer::Clock::now() - start;
        if (clockOnly)
            EXPECT_GE(elapsed, 5 * kPeriod);
        else
            EXPECT_LT(elapsed, kPeriod) << "it never slept";
    }
}

}  // namespace
