#pragma once

#include "render/device/DeviceTypes.h"

#include <cstdint>
#include <vector>

class CCpuDevice;

// A texture of the CPU device: its texels in memory, rows top-down.
class CCpuTexture : public IDeviceTexture
{
public:
    CCpuTexture(const CCpuDevice* owner, int width, int height)
        : owner(owner), width(width), height(height), texels(static_cast<size_t>(width) * height, 0u)
    {
    }

    int Width() const override { return width; }
    int Height() const override { return height; }
    uint32_t* Row(int y) { return texels.data() + static_cast<size_t>(y) * width; }

    const CCpuDevice* owner;  // compared only, never followed: the device may be gone
    const int width;
    const int height;
    std::vector<uint32_t> texels;
    bool locked = false;
    // Every texel holds the same value (known for small textures only, such
    // as the ones solid backgrounds draw with): any sampling gives it.
    bool uniform = false;
};
