#include "render/core/LateFrames.h"

#include <algorithm>

LateFrames FindLateFrames(const CRenderStatistics& statistics, int framePeriodUs, int listLimit)
{
    LateFrames late;
    const std::vector<int>& times = statistics.frameTimesUs;
    const std::vector<LayoutSpan>& spans = statistics.layoutSpans;
    late.frames = static_cast<int>(times.size());
    size_t span = 0;
    for (int frame = 0; frame < late.frames; ++frame) {
        const int us = times[static_cast<size_t>(frame)];
        late.longestUs = std::max(late.longestUs, us);
        while (span < spans.size() && spans[span].lastFrame < frame)
            ++span;
        const bool beside = span < spans.size() && spans[span].firstFrame <= frame;
        late.besideLayout += beside;
        if (us <= framePeriodUs)
            continue;
        ++late.overBudget;
        late.overBesideLayout += beside;
        const size_t at = static_cast<size_t>(frame);
        const int textUs = at < statistics.textCpuUs.size() ? statistics.textCpuUs[at] : -1;
        late.overByText += textUs < 0 || us - textUs <= framePeriodUs;
        if (static_cast<int>(late.listed.size()) < listLimit)
            late.listed.push_back(frame);
    }
    return late;
}

LateCause CauseOfLateFrame(int lateUs, int renderCpuUs, int textCpuUs, int drawingWaitUs, int framePeriodUs)
{
    if (renderCpuUs > framePeriodUs)
        return LateCause::kRenderThread;
    const bool textMayHave = textCpuUs < 0 || lateUs <= textCpuUs;
    const bool waitedLongEnough = drawingWaitUs < 0 || lateUs <= drawingWaitUs;
    return textMayHave && waitedLongEnough ? LateCause::kTextThread : LateCause::kMachine;
}

MissedDeadlines FindMissedDeadlines(const CRenderStatistics& statistics, int framePeriodUs, int listLimit)
{
    MissedDeadlines missed;
    const std::vector<int>& late = statistics.lateUs;
    missed.frames = static_cast<int>(late.size());
    for (size_t frame = 0; frame < late.size(); ++frame) {
        if (late[frame] <= 0)
            continue;
        ++missed.missed;
        missed.mostLateUs = std::max(missed.mostLateUs, late[frame]);
        const int renderUs = frame < statistics.renderCpuUs.size() ? statistics.renderCpuUs[frame] : 0;
        const int textUs = frame < statistics.textCpuUs.size() ? statistics.textCpuUs[frame] : -1;
        const int waitUs = frame < statistics.drawingWaitUs.size() ? statistics.drawingWaitUs[frame] : -1;
        switch (CauseOfLateFrame(late[frame], renderUs, textUs, waitUs, framePeriodUs)) {
        case LateCause::kRenderThread:
            ++missed.byRenderThread;
            break;
        case LateCause::kTextThread:
            ++missed.byTextThread;
            break;
        case LateCause::kMachine:
            ++missed.byMachine;
            break;
        }
        if (static_cast<int>(missed.listed.size()) < listLimit)
            missed.listed.push_back(static_cast<int>(frame));
    }
    return missed;
}
