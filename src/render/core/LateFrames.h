#pragma once

#include "render/core/Render.h"

#include <vector>

// The frames of a measured run that took longer than the frame period, and
// which of them the text thread may have made late.
struct LateFrames
{
    int frames = 0;
    int longestUs = 0;
    int overBudget = 0;
    // Of all frames, and of those over budget: drawn while the text thread
    // laid out text.
    int besideLayout = 0;
    int overBesideLayout = 0;
    // Over budget by no more than the text thread's processor time in the
    // frame (or with that time unknown): without the text thread they might
    // have been in time. The text thread is one thread, so it can keep the
    // render thread or one of its band workers off a processor for at most
    // the time it ran itself; a frame later than that was made late by
    // something else.
    int overByText = 0;
    std::vector<int> listed;  // the first over budget, by frame number
};

LateFrames FindLateFrames(const CRenderStatistics& statistics, int framePeriodUs, int listLimit);
