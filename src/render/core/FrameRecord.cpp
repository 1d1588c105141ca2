#include "render/core/FrameRecord.h"

#include <algorithm>

namespace {

int Microseconds(std::chrono::steady_clock::duration duration)
{
    return static_cast<int>(std::chrono::duration_cast<std::chrono::microseconds>(duration).count());
}

}  // namespace

void CFrameRecord::Reserve(int limit, bool paced)
{
    limit_ = std::max(0, limit);
    count_ = 0;
    const auto size = static_cast<size_t>(limit_);
    frameTimesUs_.assign(size, 0);
    renderCpuUs_.assign(size, 0);
    textCpuUs_.assign(size, 0);
    lateUs_.assign(paced ? size : 0, 0);
}

void CFrameRecord::Begin(const FrameClocks& clocks)
{
    begun_ = clocks;
}

void CFrameRecord::FramePresented(const FrameClocks& presented, int lateUs)
{
    if (!Recording())
        return;
    const auto frame = static_cast<size_t>(count_++);
    frameTimesUs_[frame] = Microseconds(presented.wall - begun_.wall);
    renderCpuUs_[frame] = static_cast<int>(presented.renderCpuUs - begun_.renderCpuUs);
    textCpuUs_[frame] = begun_.textCpuUs >= 0 && presented.textCpuUs >= 0
                            ? static_cast<int>(presented.textCpuUs - begun_.textCpuUs)
                            : -1;
    if (!lateUs_.empty())
        lateUs_[frame] = std::max(0, lateUs);
    begun_ = presented;
}

void CFrameRecord::SleptUntil(std::chrono::steady_clock::time_point deadline, const FrameClocks& woke)
{
    const int64_t overslept = std::max(0, Microseconds(woke.wall - deadline));
    FrameClocks next = woke;
    next.wall = std::min(deadline, woke.wall);
    if (begun_.textCpuUs >= 0 && woke.textCpuUs >= 0)
        next.textCpuUs = woke.textCpuUs - std::min(woke.textCpuUs - begun_.textCpuUs, overslept);
    begun_ = next;
}

void CFrameRecord::CopyTo(CRenderStatistics& statistics) const
{
    const auto end = static_cast<std::ptrdiff_t>(count_);
    statistics.frameTimesUs.assign(frameTimesUs_.begin(), frameTimesUs_.begin() + end);
    statistics.renderCpuUs.assign(renderCpuUs_.begin(), renderCpuUs_.begin() + end);
    statistics.textCpuUs.assign(textCpuUs_.begin(), textCpuUs_.begin() + end);
    statistics.lateUs.assign(lateUs_.begin(), lateUs_.begin() + (lateUs_.empty() ? 0 : end));
}
