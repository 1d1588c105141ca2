#pragma once

#include "playback/TextureDevice.h"

#include <vector>

// A texture in system memory.
class CMemoryTexture : public IObjectTexture
{
public:
    CMemoryTexture(int width, int height);

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    uint32_t Texel(int x, int y) const { return texels_[size_t(y) * size_t(width_) + size_t(x)]; }
    const std::vector<uint32_t>& Texels() const { return texels_; }
    int writes = 0;  // WriteTexture calls (or unlocks) that reached this texture
    bool locked = false;

private:
    friend class CMemoryTextureDevice;
    int width_;
    int height_;
    std::vector<uint32_t> texels_;
};

// Textures held in system memory, for presenting objects without a graphics
// device (off-line work and tests). `maxExtent` stands for a device's
// largest texture: bigger requests fail like a device that cannot make them.
class CMemoryTextureDevice : public ITextureDevice
{
public:
    explicit CMemoryTextureDevice(int maxExtent = 8192)
        : maxExtent_(maxExtent)
    {
    }

    std::unique_ptr<IObjectTexture> CreateTexture(int width, int height) override;
    int WriteTexture(IObjectTexture& texture, const CRect& rect, const uint32_t* texels, int pitch) override;
    bool CanLock() const override { return lockable; }
    bool LockTexture(IObjectTexture& texture, CLockedTexels* locked) override;
    bool UnlockTexture(IObjectTexture& texture) override;

    int created = 0;  // textures made so far
    bool lockable = false;  // offers LockTexture like a device with textures in memory

private:
    int maxExtent_;
};
