#pragma once

#include "model/Frame.h"

#include <memory>

class ITextureDevice;

// The textures an object draws with on the output, filled on the render
// thread: picture backgrounds follow the animation frame rule and upload a
// frame only when it changes; text is overwritten for fixed objects and
// written into a ring ahead of the part on display for moving ones.
// Each step returns 0 on a failure, and the object then stops.
class CFrameTextures
{
public:
    explicit CFrameTextures(CFrame& object) : o_(object) {}

    int PrepareBackgroundTexture(ITextureDevice* device);
    int PrepareTextTexture(ITextureDevice* device);

    // A texture of exactly width x height, or null (logged) when the device
    // cannot make one or makes one of another size.
    static std::unique_ptr<IObjectTexture> CreateTexture(ITextureDevice* device, int width, int height);

private:
    int WriteTextPiece(ITextureDevice& device, int destStart, int count, int sourceStart);

    CFrame& o_;
};
