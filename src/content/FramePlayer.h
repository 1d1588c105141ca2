#pragma once

#include "content/FramePlayer.h"
#include "model/Frame.h"
#include "playback/PresentResult.h"

class ITextureDevice;

// An object on air: what the operator's play, end and pause do to it, and
// what the render thread draws of it in each output frame. Ties the
// object's timeline (playback/FrameTimeline.h) to its background files and
// textures; stopping is the object's own (CFrame::StopOutput).
class CFramePlayer
{
public:
    explicit CFramePlayer(CFrame& object) : o_(object) {}

    // User-interface thread. Play loads a changed linked background first;
    // a failure surfaces at the first output frame. See CFrameTimeline.
    int Play();
    int End();
    int TogglePause();

    // One output frame on the render thread, between EnterRender and
    // LeaveRender: advances the clock by `deltaMicros` and describes what to
    // draw in `result`. Returns 0 when the object has finished or failed
    // (the caller then stops it), else 1. Allocation-free once the textures
    // exist.
    int PresentFrame(PresentResult& result, ITextureDevice* device, int deltaMicros);

private:
    // A repeat: the timeline and the text start over, a changed linked
    // background imported meanwhile is swapped in.
    void Restart();

    CFrame& o_;
};
