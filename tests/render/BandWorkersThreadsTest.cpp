#include "render/cpu/BandWorkers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include <sys/resource.h>

namespace {

TEST(BandWorkersThreads, EveryRowOnceAcrossBands)
{
    CBandWorkers workers(3);
    for (int rows : {1, 15, 16, 47, 1080}) {
        std::vector<std::atomic<int>> seen(rows);
        workers.Run(rows, [&](int first, int end) {
            for (int y = first; y < end; ++y)
                ++seen[y];
        });
        for (int y = 0; y < rows; ++y)
            EXPECT_EQ(seen[y], 1) << rows << " rows, row " << y;
    }
}

// The render thread lowers its niceness (or gets a real-time policy); the
// workers it waits for must follow. Raising niceness needs no privilege.
TEST(BandWorkersThreads, WorkersFollowTheDrawingThreadsPriority)
{
    CBandWorkers workers(2);
    std::thread drawing([&] {
        const int wanted = std::min(getpriority(PRIO_PROCESS, 0) + 3, 19);
        ASSERT_EQ(setpriority(PRIO_PROCESS, 0, wanted), 0);
        workers.FollowCallerPriority();
        std::mutex mutex;
        std::set<int> niceness;
        workers.Run(64, [&](int, int) {
            const int nice = getpriority(PRIO_PROCESS, 0);
            std::lock_guard<std::mutex> lock(mutex);
            niceness.insert(nice);
        });
        EXPECT_EQ(niceness, std::set<int>{wanted});
    });
    drawing.join();
}

}  // namespace
