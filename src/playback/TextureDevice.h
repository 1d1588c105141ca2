#pragma once

#include "model/ObjectTexture.h"
#include "model/Rect.h"

#include <cstdint>
#include <memory>

class CPicture;

// The texels of a locked texture: texel (0, 0) and the bytes from one row
// to the next; rows top-down, B, G, R, A bytes.
struct CLockedTexels
{
    uint8_t* bits = nullptr;
    int pitch = 0;
};

// The graphics-device operations that presenting an object needs: making its
// textures and writing texels into them. The output engine implements it on
// its graphics device; the tests keep textures in memory (tests/support).
// Called on the render thread only.
class ITextureDevice
{
public:
    virtual ~ITextureDevice() = default;

    // A dynamic texture of exactly width x height 32-bit texels (B, G, R, A
    // bytes), contents undefined, or null when the device cannot make one of
    // that size (the object then stops). Rare: once per object and play.
    virtual std::unique_ptr<IObjectTexture> CreateTexture(int width, int height) = 0;

    // Copies rows of texels into `rect` of the texture: row y of the rect
    // comes from texels + y * pitch (pitch in texels). `rect` lies inside the
    // texture. Returns 1, or 0 when the device failed (the object then
    // stops). Called when a texture's contents change, not every frame.
    virtual int WriteTexture(IObjectTexture& texture, const CRect& rect, const uint32_t* texels, int pitch) = 0;

    // Direct writing into a texture, for devices whose textures can be
    // written in place (no copy through a buffer of the caller's): LockTexture
    // gives the texels, UnlockTexture makes them visible to the next draw.
    // Devices that offer it answer CanLock() with true; the others keep the
    // defaults and are written through WriteTexture.
    virtual bool CanLock() const { return false; }
    virtual bool LockTexture(IObjectTexture& /*texture*/, CLockedTexels* /*locked*/) { return false; }
    virtual bool UnlockTexture(IObjectTexture& /*texture*/) { return false; }
};

// Copies the `source` rectangle of a picture row by row into `destination`
// of a locked texture; where the destination is wider or has more rows than
// the source, the rest of it is filled with transparent black. A source
// without rows clears the whole destination. The caller keeps both
// rectangles inside the picture and the texture.
void CopyToLockedTexture(const CPicture& picture, const CRect& source, const CRect& destination,
                         const CLockedTexels& locked);
