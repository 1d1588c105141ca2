// The time the process's threads wait for a processor, read from the
// kernel's counters.

#include "render/system/ProcessorWaits.h"

#include <gtest/gtest.h>

#include <pthread.h>
#include <sched.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

// Three threads kept busy on one processor: at any moment two of them wait
// for it, however many the machine has and however loaded it is.
TEST(ProcessorWaits, CountsTheWaitsOfThreadsSharingAProcessor)
{
    std::atomic<bool> stop{false};
    std::vector<std::thread> busy;
    for (int i = 0; i < 3; ++i) {
        busy.emplace_back([&stop] {
            cpu_set_t one;
            CPU_ZERO(&one);
            CPU_SET(0, &one);
            ::pthread_setaffinity_np(::pthread_self(), sizeof one, &one);
            while (!stop.load(std::memory_order_relaxed)) {
            }
        });
    }
    CProcessorWaits waits;
    waits.Open(0);
    const int64_t first = waits.WaitedUs();
    if (first < 0) {
        stop = true;
        for (std::thread& thread : busy)
            thread.join();
        GTEST_SKIP() << "the kernel keeps no per-thread wait counters here";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const int64_t busyWaits = waits.WaitedUs();
    stop = true;
    for (std::thread& thread : busy)
        thread.join();
    EXPECT_GT(busyWaits, first);
    // Threads that have ended keep what they waited.
    EXPECT_GE(waits.WaitedUs(), busyWaits);

    // Without counters nothing is known.
    CProcessorWaits unopened;
    EXPECT_EQ(unopened.WaitedUs(), -1);
}

}  // namespace
