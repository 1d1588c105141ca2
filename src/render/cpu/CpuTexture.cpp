#include "render/cpu/CpuTexture.h"

#include "render/cpu/CpuDrawList.h"

#include <algorithm>

CCpuTexture::CCpuTexture(const CCpuDevice* owner, int width, int height, bool sourceOnly)
    : owner(owner), width(width), height(height), texels(static_cast<size_t>(width) * height, 0u)
{
    if (sourceOnly) {
        // All clear yet.
        coveredFirst_.assign(static_cast<size_t>(height), static_cast<uint16_t>(width));
        coveredEnd_.assign(static_cast<size_t>(height), 0);
    }
}

CCpuTexture::~CCpuTexture()
{
    if (pendingDraws)
        pendingDraws->Execute();
}

void CCpuTexture::FindCoveredColumns(int top, int bottom)
{
    if (coveredFirst_.empty())
        return;
    // Clear stretches a block at a time: an upload of a large, mostly
    // clear picture (a lower third's animation frame) pays little for it.
    constexpr int kBlock = 16;
    auto clearBlock = [](const uint32_t* texels) {
        uint32_t alpha = 0;
        for (int i = 0; i < kBlock; ++i)
            alpha |= texels[i];
        return (alpha & 0xFF000000u) == 0;
    };
    for (int y = std::max(top, 0); y < std::min(bottom, height); ++y) {
        const uint32_t* row = Row(y);
        int first = 0;
        while (first + kBlock <= width && clearBlock(row + first))
            first += kBlock;
        while (first < width && (row[first] >> 24) == 0)
            ++first;
        int end = width;
        while (end - kBlock >= first && clearBlock(row + end - kBlock))
            end -= kBlock;
        while (end > first && (row[end - 1] >> 24) == 0)
            --end;
        coveredFirst_[y] = static_cast<uint16_t>(first);
        coveredEnd_[y] = static_cast<uint16_t>(end);
    }
}
