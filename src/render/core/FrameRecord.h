#pragma once

#include "render/core/Render.h"

#include <chrono>
#include <cstdint>
#include <vector>

// The clocks the render thread reads around a recorded frame.
struct FrameClocks
{
    std::chrono::steady_clock::time_point wall;
    int64_t renderCpuUs = 0;  // the render thread's processor time
    int64_t textCpuUs = -1;   // the text thread's; -1 where it cannot be read
    // Paced: how long the other threads of the process (those that draw)
    // have waited for a processor; -1 where unknown.
    int64_t drawingWaitUs = -1;
    // The device's helper threads (band workers); -1 where unknown.
    int64_t helperCpuUs = -1;
    // The render thread's time in the kernel and its page faults so far;
    // -1 where unknown.
    int64_t renderSystemUs = -1;
    int64_t renderPageFaults = -1;
    // The machine's interrupt and stolen time so far (CMachineTime).
    int64_t machineUs = -1;
};

// What the render thread measures of each frame (bench, soak, tests): how
// long it took, the processor time the render and text threads had in it
// and, paced, how far past its deadline it was presented. The room is made
// up front, so that a long run does not count it as memory the renderer grew
// by; only the render thread writes it.
class CFrameRecord
{
public:
    // Room for limit frames; paced runs also keep each frame's lateness.
    void Reserve(int limit, bool paced);
    bool Recording() const { return count_ < limit_; }
    int Count() const { return count_; }

    // The clocks as the first frame begins.
    void Begin(const FrameClocks& clocks);
    // A frame was presented at these clocks, lateUs past its deadline (0 in
    // time or unpaced); the next frame begins here unless the thread sleeps.
    void FramePresented(const FrameClocks& presented, int lateUs);
    // Paced: the thread slept until the next frame's deadline and woke at
    // these clocks. The next frame begins at the deadline: a late wake-up is
    // part of it, and so are what the text thread ran and how long the
    // drawing threads waited for a processor meanwhile, for no longer than
    // the wake-up was late, since only then could either hold the frame up.
    void SleptUntil(std::chrono::steady_clock::time_point deadline, const FrameClocks& woke);
    // What the objects' own steps took of the frame being drawn, for the
    // list of the frames in which the render thread ran longest; noted
    // before the frame is presented.
    void NoteObjectSteps(int objectsCpuUs, int slowestObject, int slowestObjectUs);

    void CopyTo(CRenderStatistics& statistics) const;

private:
    int limit_ = 0;
    int count_ = 0;
    FrameClocks begun_;
    int64_t firstHelperCpuUs_ = -1;
    std::chrono::steady_clock::time_point firstBegun_{};
    RenderThreadFrame pending_;
    std::vector<RenderThreadFrame> heaviest_;  // longest first
    std::vector<int> frameTimesUs_;
    std::vector<int> renderCpuUs_;
    std::vector<int> textCpuUs_;
    std::vector<int> lateUs_;
    std::vector<int> drawingWaitUs_;
};
