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

// Why a paced frame missed its deadline.
enum class LateCause
{
    kRenderThread,  // its own processor time in the frame exceeded the period
    // Late by no more than the text thread could have held it up (or that
    // is unknown).
    kTextThread,
    // Neither: the processors went to something else (other programs, the
    // system). The band workers' time is not measured apart: a frame whose
    // drawing spread over them did not fit lands here too.
    kMachine,
};

// A frame presented lateUs past its deadline, with the processor time the
// render and text threads had in it and how long the threads that draw
// waited for a processor (-1: unknown). The render thread comes first: with
// more than a period of its own work the frame was late whatever else ran.
// The text thread, one thread, can have held the frame up by no more than it
// ran, and only while the drawing threads waited for a processor: by no more
// than the smaller of the two. A frame late by no more than that might have
// been in time without it.
LateCause CauseOfLateFrame(int lateUs, int renderCpuUs, int textCpuUs, int drawingWaitUs, int framePeriodUs);

// The frames of a paced run that missed their deadline, by cause.
struct MissedDeadlines
{
    int frames = 0;
    int missed = 0;
    int byRenderThread = 0;
    int byTextThread = 0;
    int byMachine = 0;
    int mostLateUs = 0;
    std::vector<int> listed;  // the first that missed, by frame number
};

// Empty (nothing missed) for a run that was not paced.
MissedDeadlines FindMissedDeadlines(const CRenderStatistics& statistics, int framePeriodUs, int listLimit);
