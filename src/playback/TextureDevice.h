#pragma once

#include "model/DeviceTexture.h"
#include "model/Rect.h"

#include <cstdint>
#include <memory>

// The graphics-device operations that presenting an object needs: making its
// textures and writing texels into them. The output engine implements it on
// its graphics device; CMemoryTextureDevice keeps textures in memory.
// Called on the render thread only.
class CTextureDevice
{
public:
    virtual ~CTextureDevice() = default;

    // A dynamic texture of exactly width x height 32-bit texels (B, G, R, A
    // bytes), contents undefined, or null when the device cannot make one of
    // that size (the object then stops). Rare: once per object and play.
    virtual std::unique_ptr<CDeviceTexture> CreateTexture(int width, int height) = 0;

    // Copies rows of texels into `rect` of the texture: row y of the rect
    // comes from texels + y * pitch (pitch in texels). `rect` lies inside the
    // texture. Returns 1, or 0 when the device failed (the object then
    // stops). Called when a texture's contents change, not every frame.
    virtual int WriteTexture(CDeviceTexture& texture, const CRect& rect, const uint32_t* texels, int pitch) = 0;
};
