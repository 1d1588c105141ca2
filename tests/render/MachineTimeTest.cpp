// The machine's interrupt and stolen time, read from the kernel's counters.

#include "render/system/MachineTime.h"

#include <gtest/gtest.h>

namespace {

TEST(MachineTime, ReadsInterruptsAndStolenTicks)
{
    const struct
    {
        const char* text;
        long ticksPerSecond;
        int64_t us;
    } cases[] = {
        {"cpu  1338354 1448340 360821 429131 1036 7 585 3966 0 0\ncpu0 1 2 3\n", 100, (7 + 585 + 3966) * 10000LL},
        {"cpu  1 2 3 4 5 1 1 2\n", 250, 4 * 4000LL},  // no guest fields (older kernels)
        {"cpu  1 2 3 4 5 6\n", 100, -1},              // no steal field
        {"cpu0 1 2 3 4 5 6 7 8\n", 100, -1},          // not the sum line
        {"intr 1 2 3 4 5 6 7 8\n", 100, -1},
        {"cpu  1 2 3 4 5 -6 7 8\n", 100, -1},
        {"", 100, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CMachineTime::ParseInterruptsAndStolenUs(c.text, c.ticksPerSecond), c.us);
    }

    // This machine's own counters only grow.
    CMachineTime machine;
    const int64_t first = machine.InterruptsAndStolenUs();
    ASSERT_GE(first, 0);
    EXPECT_GE(machine.InterruptsAndStolenUs(), first);
}

}  // namespace
