#pragma once

#include "model/FrameBackground.h"

#include <vector>

// Which background frame of an animation to show at object clock `t`.
// `current` is the frame shown now (-1 none) and `currentStart` the clock
// time, counted from the end of the start delay, at which it became current.
// The animation holds frame 0 during the start delay and advances at most
// one frame per call, so frames shorter than an output frame each get one
// output frame. Without looping it stays on the last frame.
int ChooseAnimationFrame(const std::vector<CFrameBackground>& frames, int current, int currentStart, int t,
                         int startDelay, bool loopAnimation);
