#include "render/cpu/CpuTexture.h"

#include "render/cpu/CpuDrawList.h"
#include "render/cpu/CpuKernels.h"

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
    for (int y = std::max(top, 0); y < std::min(bottom, height); ++y) {
        int first = 0;
        int end = 0;
        cpukernels::FindCoveredColumns(Row(y), width, &first, &end);
        coveredFirst_[y] = static_cast<uint16_t>(first);
        coveredEnd_[y] = static_cast<uint16_t>(end);
    }
}
