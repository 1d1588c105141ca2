#include "render/cpu/CpuTexture.h"

#include "render/cpu/CpuDrawList.h"
#include "render/cpu/CpuKernels.h"

#include <algorithm>

CCpuTexture::CCpuTexture(const CCpuDevice* owner, int width, int height, bool sourceOnly)
    : owner(owner), width(width), height(height), texels(static_cast<size_t>(width) * height, 0u)
{
    if (sourceOnly) {
        covered_ = std::vector<std::atomic<uint32_t>>(static_cast<size_t>(height));
        RowsWritten(0, height);
    }
}

CCpuTexture::~CCpuTexture()
{
    if (pendingDraws)
        pendingDraws->Execute();
}

void CCpuTexture::Covered(int y, int* first, int* end) const
{
    if (covered_.empty()) {
        *first = 0;
        *end = width;
        return;
    }
    // Two threads that ask at once both work it out, and store the same.
    const uint32_t known = covered_[y].load(std::memory_order_relaxed);
    if (known != kUnknown) {
        *first = static_cast<int>(known & 0xFFFF);
        *end = static_cast<int>(known >> 16);
        return;
    }
    cpukernels::FindCoveredColumns(Row(y), width, first, end);
    covered_[y].store(static_cast<uint32_t>(*first) | (static_cast<uint32_t>(*end) << 16), std::memory_order_relaxed);
}

void CCpuTexture::RowsWritten(int top, int bottom)
{
    for (int y = std::max(top, 0); y < std::min(bottom, static_cast<int>(covered_.size())); ++y)
        covered_[y].store(kUnknown, std::memory_order_relaxed);
}
