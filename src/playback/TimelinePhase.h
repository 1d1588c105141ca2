#pragma once

class CFrame;

// The phases of one presentation of an object, in the order they are tested.
enum class Phase { Finished, Delay, In, Out, Show };

struct PhaseState
{
    Phase phase = Phase::Delay;
    int effect = 0;       // effect number to draw (0 = Simple cut)
    float progress = 0;   // 0..1; the out effect runs from 1 down to 0
    int fade = 0;         // fade by the progress
};

// The phase of `object` at clock `t` with end time `endTime` (0 = open end).
PhaseState DeterminePhase(const CFrame& object, int t, int endTime);
