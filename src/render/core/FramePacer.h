#pragma once

#include <chrono>

// Keeps a device from presenting faster than the output's frame rate when
// presentation itself does not wait for the display (no vertical blank, an
// off-screen device, the CPU device on a plain window). Sleeps, never spins.
class CFramePacer
{
public:
    using Clock = std::chrono::steady_clock;

    // periodUs 0: no pacing.
    explicit CFramePacer(int periodUs = 0);
    void SetPeriod(int periodUs);
    int PeriodUs() const { return static_cast<int>(period_.count()); }

    // Called right after presenting, with the time presenting began. When
    // presenting took a quarter of a frame or more, it waited for the
    // display and the pacer only follows; otherwise it sleeps until the next
    // frame deadline. A frame that comes more than a period late starts the
    // cadence again instead of hurrying to catch up.
    void FramePresented(Clock::time_point presentStarted);

private:
    std::chrono::microseconds period_;
    Clock::time_point deadline_{};
};
