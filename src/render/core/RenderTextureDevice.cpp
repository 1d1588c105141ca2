#include "render/core/RenderTextureDevice.h"

#include <cstring>

namespace {

// An object's texture: owns the device's texture, which may be released on
// any thread (the device's textures allow that).
class CRenderTexture final : public IObjectTexture
{
public:
    explicit CRenderTexture(std::unique_ptr<IDeviceTexture> texture) : texture(std::move(texture)) {}
    int Width() const override { return texture->Width(); }
    int Height() const override { return texture->Height(); }

    std::unique_ptr<IDeviceTexture> texture;
};

}  // namespace

std::unique_ptr<IObjectTexture> CRenderTextureDevice::CreateTexture(int width, int height)
{
    auto texture = device_.CreateTexture(width, height);
    if (!texture)
        return nullptr;
    return std::make_unique<CRenderTexture>(std::move(texture));
}

int CRenderTextureDevice::WriteTexture(IObjectTexture& texture, const CRect& rect, const uint32_t* texels, int pitch)
{
    auto* own = dynamic_cast<CRenderTexture*>(&texture);
    if (!own || rect.IsEmpty() || rect.left < 0 || rect.top < 0 || rect.right > own->Width() ||
        rect.bottom > own->Height())
        return 0;
    const DeviceRect region{rect.left, rect.top, rect.right, rect.bottom};
    LockedRect locked;
    if (!device_.LockTexture(own->texture.get(), &locked, &region))
        return 0;
    const size_t rowBytes = static_cast<size_t>(rect.Width()) * 4;
    for (int y = 0; y < rect.Height(); ++y)
        std::memcpy(locked.bits + static_cast<size_t>(rect.top + y) * locked.pitch + static_cast<size_t>(rect.left) * 4,
                    texels + static_cast<size_t>(y) * pitch, rowBytes);
    return device_.UnlockTexture(own->texture.get()) ? 1 : 0;
}

IDeviceTexture* CRenderTextureDevice::DeviceTextureOf(IObjectTexture* texture)
{
    auto* own = dynamic_cast<CRenderTexture*>(texture);
    return own ? own->texture.get() : nullptr;
}
