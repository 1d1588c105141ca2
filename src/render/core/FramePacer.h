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
    // The frame clock alone, whatever presenting took: for presentation
    // that does not wait for the vertical blank on purpose (the operator's
    // alternative vertical sync), where a slow present is not a display's
    // cadence to follow.
    void SetClockOnly(bool clockOnly) { clockOnly_ = clockOnly; }
    bool ClockOnly() const { return clockOnly_; }

    // Called right after presenting, with the time presenting began. When
    // presenting took a quarter of a frame or more, it waited for the
    // display and the pacer only follows (unless it keeps to the clock
    // alone); otherwise it sleeps until the next frame deadline. A frame
    // that comes more than a period late starts the cadence again instead
    // of hurrying to catch up.
    //
    // Returns how far past its deadline the frame was presented, in µs: 0
    // in time, for the first frame, without pacing and when presenting
    // waited for the display (which then keeps the time).
    int FramePresented(Clock::time_point presentStarted);
    // Where presenting never waits for a display (off-screen), with the time
    // the frame was presented: sleeps until the next frame deadline, however
    // long the frame took. Returns as FramePresented does.
    int WaitForDeadline(Clock::time_point presented);

    // The deadline the last FramePresented slept until; Clock::time_point{}
    // when it did not sleep.
    Clock::time_point SleptUntil() const { return sleptUntil_; }

private:
    int Pace(Clock::time_point now);

    std::chrono::microseconds period_;
    bool clockOnly_ = false;
    Clock::time_point deadline_{};
    Clock::time_point sleptUntil_{};
};
