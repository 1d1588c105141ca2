#pragma once

#include <chrono>
#include <cstdint>

// Microseconds for frame timing, from the monotonic clock. Only differences
// between two readings mean anything.
class CHiResTimer
{
public:
    CHiResTimer();
    virtual ~CHiResTimer() = default;

    uint64_t ElapsedMicroseconds() const;

private:
    std::chrono::steady_clock::time_point start_;
};
