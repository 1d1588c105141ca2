#pragma once

#include "playback/TextureDevice.h"

#include <vector>

// A texture in system memory.
class CMemoryTexture : public CDeviceTexture
{
public:
    CMemoryTexture(int width, int height);

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    uint32_t Texel(int x, int y) const { return texels_[size_t(y) * size_t(width_) + size_t(x)]; }
    const std::vector<uint32_t>& Texels() const { return texels_; }
    int writes = 0;  // WriteTexture calls that reached this texture

private:
    friend class CMemoryTextureDevice;
    int width_;
    int height_;
    std::vector<uint32_t> texels_;
};

// Textures held in system memory, for presenting objects without a graphics
// device (off-line work and tests). `maxExtent` stands for a device's
// largest texture: bigger requests fail like a device that cannot make them.
class CMemoryTextureDevice : public CTextureDevice
{
public:
    explicit CMemoryTextureDevice(int maxExtent = 8192)
        : maxExtent_(maxExtent)
    {
    }

    std::unique_ptr<CDeviceTexture> CreateTexture(int width, int height) override;
    int WriteTexture(CDeviceTexture& texture, const CRect& rect, const uint32_t* texels, int pitch) override;

    int created = 0;  // textures made so far

private:
    int maxExtent_;
};
