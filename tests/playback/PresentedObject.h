#pragma once

#include "content/FramePlayer.h"
#include "model/Frame.h"
#include "support/MemoryTextureDevice.h"
#include "playback/PresentResult.h"

#include <ostream>

inline std::ostream& operator<<(std::ostream& out, const FloatRect& r)
{
    return out << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom;
}

// An object presented frame by frame on a virtual clock, with what the text
// thread would hand over done by hand.
struct PresentedObject
{
    static constexpr int kFramePeriod = 20000;  // 50 Hz

    PresentedObject()
    {
        object.framePeriod = kFramePeriod;
        object.rect = {100, 50, 500, 150};
        object.backgroundColor = 0xFF336699u;
    }

    // The text thread's first look at an object without text: nothing to draw.
    void TextThreadFindsNoText()
    {
        if (object.chunksRendered.load() == 0) {
            object.hasText = 0;
            object.noMoreChunks.store(1);
            object.chunksRendered.store(1);
        }
    }

    // One output frame as the render thread runs it; finished objects are stopped.
    int Frame(int deltaMicros = kFramePeriod)
    {
        TextThreadFindsNoText();
        if (!object.EnterRender())
            return 0;
        const int presented = CFramePlayer(object).PresentFrame(result, &device, deltaMicros);
        object.LeaveRender();
        if (!presented)
            object.StopOutput();
        return presented;
    }

    // Frames until the object's clock reaches `t` ms (or it finishes).
    void RunTo(int t)
    {
        while (object.playing.load() && object.elapsed.load() < t)
            Frame();
    }

    bool Visible() const { return result.backgroundTexture != nullptr || result.textTexture != nullptr; }

    CFrame object;
    CMemoryTextureDevice device;
    PresentResult result;
};
