#include "playback/TimelinePhase.h"

#include "model/Frame.h"

PhaseState DeterminePhase(const CFrame& o, int t, int endTime)
{
    // 64-bit differences: times from a damaged page file may be anything.
    const long long sinceDelay = static_cast<long long>(t) - o.startDelay;
    const long long untilEnd = static_cast<long long>(endTime) - t;
    if (endTime != 0 && untilEnd <= 0)
        return {Phase::Finished, 0, 0.0f, 0};
    if (sinceDelay < 0)
        return {Phase::Delay, 0, 0.0f, 0};
    // In comes before Out, so an out effect never starts before the in effect completes.
    if (sinceDelay < o.inDuration)
        return {Phase::In, o.inEffect, float(sinceDelay) / float(o.inDuration), o.fadeIn};
    if (endTime != 0 && untilEnd < o.outDuration)
        return {Phase::Out, o.outEffect, float(untilEnd) / float(o.outDuration), o.fadeOut};
    return {Phase::Show, 0, 1.0f, 0};
}
