#include "support/MemoryTextureDevice.h"

#include <algorithm>

CMemoryTexture::CMemoryTexture(int width, int height)
    : width_(width),
      height_(height),
      texels_(size_t(width) * size_t(height), 0u)
{
}

std::unique_ptr<IObjectTexture> CMemoryTextureDevice::CreateTexture(int width, int height)
{
    if (width <= 0 || height <= 0 || width > maxExtent_ || height > maxExtent_)
        return nullptr;
    ++created;
    return std::make_unique<CMemoryTexture>(width, height);
}

int CMemoryTextureDevice::WriteTexture(IObjectTexture& texture, const CRect& rect, const uint32_t* texels, int pitch)
{
    auto* memory = dynamic_cast<CMemoryTexture*>(&texture);
    if (!memory || rect.left < 0 || rect.top < 0 || rect.right > memory->width_ || rect.bottom > memory->height_ ||
        rect.IsEmpty())
        return 0;
    for (int y = 0; y < rect.Height(); ++y) {
        const uint32_t* from = texels + size_t(y) * size_t(pitch);
        std::copy(from, from + rect.Width(),
                  memory->texels_.begin() + ptrdiff_t(rect.top + y) * memory->width_ + rect.left);
    }
    ++memory->writes;
    return 1;
}

bool CMemoryTextureDevice::LockTexture(IObjectTexture& texture, CLockedTexels* locked)
{
    auto* memory = dynamic_cast<CMemoryTexture*>(&texture);
    if (!lockable || !memory || memory->locked)
        return false;
    memory->locked = true;
    locked->bits = reinterpret_cast<uint8_t*>(memory->texels_.data());
    locked->pitch = memory->width_ * 4;
    return true;
}

bool CMemoryTextureDevice::UnlockTexture(IObjectTexture& texture)
{
    auto* memory = dynamic_cast<CMemoryTexture*>(&texture);
    if (!memory || !memory->locked)
        return false;
    memory->locked = false;
    ++memory->writes;
    return true;
}
