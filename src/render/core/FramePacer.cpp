#include "render/core/FramePacer.h"

#include <algorithm>
#include <limits>
#include <thread>

CFramePacer::CFramePacer(int periodUs) : period_(periodUs > 0 ? periodUs : 0) {}

void CFramePacer::SetPeriod(int periodUs)
{
    period_ = std::chrono::microseconds(periodUs > 0 ? periodUs : 0);
    deadline_ = {};
}

int CFramePacer::FramePresented(Clock::time_point presentStarted)
{
    sleptUntil_ = {};
    if (period_.count() == 0)
        return 0;
    const auto now = Clock::now();
    if (!clockOnly_ && now - presentStarted >= period_ / 4) {
        deadline_ = now + period_;
        return 0;
    }
    return Pace(now);
}

int CFramePacer::WaitForDeadline(Clock::time_point presented)
{
    sleptUntil_ = {};
    return period_.count() == 0 ? 0 : Pace(presented);
}

int CFramePacer::Pace(Clock::time_point now)
{
    int lateUs = 0;
    if (deadline_ == Clock::time_point{}) {
        deadline_ = now;
    } else if (now > deadline_) {
        const auto late = std::chrono::duration_cast<std::chrono::microseconds>(now - deadline_).count();
        lateUs = static_cast<int>(std::min<decltype(late)>(late, std::numeric_limits<int>::max()));
        if (now > deadline_ + period_)
            deadline_ = now;
    } else if (now < deadline_) {
        // Also when that moment has passed meanwhile: the frame was in time.
        std::this_thread::sleep_until(deadline_);
        sleptUntil_ = deadline_;
    }
    deadline_ += period_;
    return lateUs;
}
