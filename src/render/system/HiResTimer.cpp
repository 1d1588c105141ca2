#include "render/system/HiResTimer.h"

#include "app/Log.h"

#include <time.h>

CHiResTimer::CHiResTimer() : start_(std::chrono::steady_clock::now())
{
    timespec resolution{};
    if (::clock_getres(CLOCK_MONOTONIC, &resolution) == 0 && resolution.tv_sec == 0 && resolution.tv_nsec > 0)
        WriteLog(kLogLifecycle, "CHiResTimer(): resolution: %lld", 1000000000LL / resolution.tv_nsec);
    else
        WriteLog(kLogLifecycle, "CHiResTimer(): error - timer not available!");
}

uint64_t CHiResTimer::ElapsedMicroseconds() const
{
    // Starts at 1 so that a reading is never the "no frame yet" value 0.
    return 1 + static_cast<uint64_t>(
                   std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start_)
                       .count());
}
