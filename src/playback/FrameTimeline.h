#pragma once

#include "model/Frame.h"
#include "playback/PresentResult.h"

// An object's clock on air: play, end and pause, the phases of its in and
// out effects, and the movement of its text, one output frame at a time.
// Works on the object's run-time state; the textures and the background
// files belong to the player (content/FramePlayer.h), which drives this.
//
// Play, End and TogglePause run on the user-interface thread; the rest on
// the render thread while the object is playing.
class CFrameTimeline
{
public:
    explicit CFrameTimeline(CFrame& object) : o_(object) {}

    // Starts the object (1), or resumes a paused one, or makes a playing
    // repeating one start over at the next frame (0). A linked background
    // is the player's to load before.
    int Play();
    // Schedules the out effect (after the in effect at the earliest); returns
    // 1 only when it resumed a paused object.
    int End();
    // Freezes or resumes a playing object's clock, movement and animation.
    int TogglePause();
    void ResetTimeline();

    // Whether enough text is in the ring to start showing a scroll or roll.
    bool EnoughTextToStartDisplay() const;
    // The effect's geometry and opacity at clock t with end time `end`.
    void ComposeResult(PresentResult& result, int t, int end) const;
    // Moves scrolling or rolling text on by a frame of deltaMicros.
    void MoveText(PresentResult& result, int deltaMicros);
    void AdvanceClock(int deltaMicros);

private:
    void SizeTextTexture();

    CFrame& o_;
};

// Scroll or roll.
inline bool IsMoving(int movement)
{
    return movement == kMovementScroll || movement == kMovementRoll;
}
