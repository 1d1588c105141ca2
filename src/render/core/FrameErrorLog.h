#pragma once

#include <chrono>

// Errors that may come with every output frame reach the log at most once
// a second: the first at once, later ones as the count since the last line.
// A line per frame would cost the render thread a file write each time.
class CFrameErrorLog
{
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kInterval{1000};

    // Counts an error at `now`. Returns how many errors a log line written
    // now reports (this one and those held back), or 0 when it waits.
    int Note(Clock::time_point now);
    // The errors held back since the last line (for a last line at the end),
    // and none afterwards.
    int TakeHeldBack();

private:
    bool anyLine_ = false;
    Clock::time_point lastLine_{};
    int heldBack_ = 0;
};
