#include "render/core/FrameRecord.h"

#include <algorithm>

namespace {

int Microseconds(std::chrono::steady_clock::duration duration)
{
    return static_cast<int>(std::chrono::duration_cast<std::chrono::microseconds>(duration).count());
}

// The difference of two readings of a count that may be unknown (-1).
int Difference(int64_t from, int64_t to)
{
    return from >= 0 && to >= 0 ? static_cast<int>(to - from) : -1;
}

// A reading moved back by what the count grew in the last `late` µs of a
// sleep, at most: it grew by no more than that after the deadline.
int64_t AtDeadline(int64_t asleep, int64_t woke, int64_t late)
{
    return asleep >= 0 && woke >= 0 ? woke - std::min(woke - asleep, late) : woke;
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
    drawingWaitUs_.assign(paced ? size : 0, 0);
    heaviest_.clear();
    heaviest_.reserve(CRenderStatistics::kHeaviestRenderFrames + 1);
}

void CFrameRecord::Begin(const FrameClocks& clocks)
{
    begun_ = clocks;
    firstHelperCpuUs_ = clocks.helperCpuUs;
    firstBegun_ = clocks.wall;
}

void CFrameRecord::NoteObjectSteps(int objectsCpuUs, int slowestObject, int slowestObjectUs)
{
    pending_.objectsCpuUs = objectsCpuUs;
    pending_.slowestObject = slowestObject;
    pending_.slowestObjectUs = slowestObjectUs;
}

void CFrameRecord::FramePresented(const FrameClocks& presented, int lateUs)
{
    if (!Recording())
        return;
    const auto frame = static_cast<size_t>(count_++);
    const FrameClocks previous = begun_;
    frameTimesUs_[frame] = Microseconds(presented.wall - begun_.wall);
    renderCpuUs_[frame] = static_cast<int>(presented.renderCpuUs - begun_.renderCpuUs);
    textCpuUs_[frame] = Difference(begun_.textCpuUs, presented.textCpuUs);
    if (!lateUs_.empty()) {
        lateUs_[frame] = std::max(0, lateUs);
        drawingWaitUs_[frame] = Difference(begun_.drawingWaitUs, presented.drawingWaitUs);
    }
    begun_ = presented;

    // The few heaviest frames of the render thread, kept in order; the room
    // was made up front.
    pending_.frame = static_cast<int>(frame);
    pending_.beganUs = std::chrono::duration_cast<std::chrono::microseconds>(previous.wall - firstBegun_).count();
    pending_.renderCpuUs = renderCpuUs_[frame];
    pending_.systemCpuUs = Difference(previous.renderSystemUs, presented.renderSystemUs);
    pending_.pageFaults = Difference(previous.renderPageFaults, presented.renderPageFaults);
    pending_.machineUs = Difference(previous.machineUs, presented.machineUs);
    const auto heavier = [](const RenderThreadFrame& a, const RenderThreadFrame& b) {
        return a.renderCpuUs > b.renderCpuUs;
    };
    const auto at = std::upper_bound(heaviest_.begin(), heaviest_.end(), pending_, heavier);
    if (at - heaviest_.begin() < CRenderStatistics::kHeaviestRenderFrames) {
        heaviest_.insert(at, pending_);
        if (static_cast<int>(heaviest_.size()) > CRenderStatistics::kHeaviestRenderFrames)
            heaviest_.pop_back();
    }
    pending_ = RenderThreadFrame{};
}

void CFrameRecord::SleptUntil(std::chrono::steady_clock::time_point deadline, const FrameClocks& woke)
{
    const int64_t overslept = std::max(0, Microseconds(woke.wall - deadline));
    FrameClocks next = woke;
    next.wall = std::min(deadline, woke.wall);
    next.textCpuUs = AtDeadline(begun_.textCpuUs, woke.textCpuUs, overslept);
    next.drawingWaitUs = AtDeadline(begun_.drawingWaitUs, woke.drawingWaitUs, overslept);
    begun_ = next;
}

void CFrameRecord::CopyTo(CRenderStatistics& statistics) const
{
    const auto end = static_cast<std::ptrdiff_t>(count_);
    statistics.frameTimesUs.assign(frameTimesUs_.begin(), frameTimesUs_.begin() + end);
    statistics.renderCpuUs.assign(renderCpuUs_.begin(), renderCpuUs_.begin() + end);
    statistics.textCpuUs.assign(textCpuUs_.begin(), textCpuUs_.begin() + end);
    const auto pacedEnd = lateUs_.empty() ? 0 : end;
    statistics.lateUs.assign(lateUs_.begin(), lateUs_.begin() + pacedEnd);
    statistics.drawingWaitUs.assign(drawingWaitUs_.begin(), drawingWaitUs_.begin() + pacedEnd);
    statistics.helperCpuUs = count_ > 0 && firstHelperCpuUs_ >= 0 && begun_.helperCpuUs >= 0
                                 ? begun_.helperCpuUs - firstHelperCpuUs_
                                 : -1;
    statistics.heaviestRenderFrames = heaviest_;
}
