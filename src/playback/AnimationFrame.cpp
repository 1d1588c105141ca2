#include "playback/AnimationFrame.h"

int ChooseAnimationFrame(const std::vector<CFrameBackground>& frames, int current, int currentStart, int t,
                         int startDelay, bool loopAnimation)
{
    const int count = static_cast<int>(frames.size());
    if (count < 2 || t < startDelay)
        return 0;
    if (current < 0 || current >= count)
        return 0;
    const long long shownFor = static_cast<long long>(t) - startDelay - currentStart;
    if (shownFor < frames[static_cast<size_t>(current)].duration)
        return current;
    if (!loopAnimation && current == count - 1)
        return current;
    return (current + 1) % count;
}
