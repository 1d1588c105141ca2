#pragma once

#include "playback/TextureDevice.h"
#include "render/device/GraphicsDevice.h"

// The textures objects present with, made on the output's graphics device.
// Used on the render thread (or the off-line renderer's thread) only.
class CRenderTextureDevice final : public ITextureDevice
{
public:
    explicit CRenderTextureDevice(IGraphicsDevice& device) : device_(device) {}

    std::unique_ptr<IObjectTexture> CreateTexture(int width, int height) override;
    int WriteTexture(IObjectTexture& texture, const CRect& rect, const uint32_t* texels, int pitch) override;

    // The device's texture behind an object's texture (null for another kind).
    static IDeviceTexture* DeviceTextureOf(IObjectTexture* texture);

private:
    IGraphicsDevice& device_;
};
