#pragma once

#include "render/device/DeviceTypes.h"

#include <atomic>
#include <cstdint>
#include <vector>

class CCpuDevice;
class CCpuDrawList;

// A texture of the CPU device: its texels in memory, rows top-down.
class CCpuTexture : public IDeviceTexture
{
public:
    // sourceOnly: a texture that is only read from and written through
    // lock and unlock, so that its clear rows are known (not the
    // composition target or the back buffer, which are drawn into).
    CCpuTexture(const CCpuDevice* owner, int width, int height, bool sourceOnly = true);
    // Carries out the draws that still read it first.
    ~CCpuTexture() override;

    int Width() const override { return width; }
    int Height() const override { return height; }
    uint32_t* Row(int y) { return texels.data() + static_cast<size_t>(y) * width; }
    const uint32_t* Row(int y) const { return texels.data() + static_cast<size_t>(y) * width; }

    // The columns [first, end) of row y that hold every texel with alpha;
    // first >= end for a row without any. Rows of textures that are drawn
    // into count as covered throughout. Worked out the first time a draw
    // asks after the row was written, while the draw reads the row anyway
    // (an upload pays nothing for it); any thread may ask.
    void Covered(int y, int* first, int* end) const;
    bool RowClear(int y) const
    {
        int first = 0;
        int end = 0;
        Covered(y, &first, &end);
        return first >= end;
    }
    // Rows [top, bottom) were written: their covered columns are found anew.
    void RowsWritten(int top, int bottom);

    const CCpuDevice* owner;  // compared only, never followed: the device may be gone
    const int width;
    const int height;
    std::vector<uint32_t> texels;
    bool locked = false;
    // The rows a lock hands out for writing.
    int lockedTop = 0;
    int lockedBottom = 0;
    // Every texel holds the same value (known for small textures only, such
    // as the ones solid backgrounds draw with): any sampling gives it.
    bool uniform = false;
    // The list of draws not carried out yet that read this texture, if any.
    CCpuDrawList* pendingDraws = nullptr;

private:
    // Per row first | end << 16, or kUnknown.
    static constexpr uint32_t kUnknown = 0xFFFFFFFFu;
    mutable std::vector<std::atomic<uint32_t>> covered_;
};
