#include "render/core/FramePacer.h"

#include <thread>

CFramePacer::CFramePacer(int periodUs) : period_(periodUs > 0 ? periodUs : 0) {}

void CFramePacer::SetPeriod(int periodUs)
{
    period_ = std::chrono::microseconds(periodUs > 0 ? periodUs : 0);
    deadline_ = {};
}

void CFramePacer::FramePresented(Clock::time_point presentStarted)
{
    if (period_.count() == 0)
        return;
    const auto now = Clock::now();
    if (!clockOnly_ && now - presentStarted >= period_ / 4) {
        deadline_ = now + period_;
        return;
    }
    if (deadline_ == Clock::time_point{} || now > deadline_ + period_)
        deadline_ = now;
    else if (now < deadline_)
        std::this_thread::sleep_until(deadline_);
    deadline_ += period_;
}
