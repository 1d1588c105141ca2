#pragma once

#include "render/core/FramePacer.h"
#include "render/device/GraphicsDevice.h"
#include "render/gl/GlContext.h"
#include "render/gl/GlFunctions.h"
#include "render/gl/GlTexture.h"

#include <memory>
#include <thread>

class CGlEffect;

// The graphics device on OpenGL 3.3 core. Textures are RGBA8 (uploaded as
// BGRA), the composition target and the back buffer are framebuffer objects
// stored top-down like every texture, the vertex buffer one array buffer, and
// the effects are the GLSL sources of the program's resources. On a window,
// Present copies the back buffer onto the window (upside down, as windows
// store their rows) and swaps. Pixel centres and the fill rule follow the
// renderer's convention (see the vertex shader).
class CGlDevice : public IGraphicsDevice
{
public:
    // Takes the context; with an off-screen context the back buffer is a
    // framebuffer object of backBufferWidth x backBufferHeight, with a window
    // it is the window's. framePeriodUs paces Present when swapping does not
    // wait (0: no pacing); paceByClock keeps Present to that period alone,
    // where the window's swap does not wait for the vertical blank. Null
    // with a reason when the driver lacks what the device needs.
    static std::unique_ptr<CGlDevice> Create(std::unique_ptr<IGlContext> context, int backBufferWidth,
                                             int backBufferHeight, int framePeriodUs, QString* error,
                                             bool paceByClock = false);
    ~CGlDevice() override;

    const DeviceDescription& Description() const override { return description_; }
    void ReleaseThread() override;
    std::unique_ptr<IDeviceTexture> CreateTexture(int width, int height) override;
    IDeviceTexture* CompositionTarget() override { return compositionTarget_.get(); }
    bool LockTexture(IDeviceTexture* texture, LockedRect* locked, const DeviceRect* region = nullptr) override;
    bool UnlockTexture(IDeviceTexture* texture) override;
    bool UploadVertices(const Vertex* vertices, int count) override;
    std::unique_ptr<IDeviceEffect> CreateEffect(EffectId id) override;
    bool SetRenderTarget(IDeviceTexture* target) override;
    void Clear(uint32_t argb) override;
    void DrawQuad(int firstVertex) override;
    DeviceStatus Present() override;
    bool ReadBackBuffer(CPicture* picture) override;
    bool ReadTexture(IDeviceTexture* texture, CPicture* picture) override;

    // Makes the context current on the calling thread if it is not yet.
    bool EnsureCurrent();
    void SetActiveEffect(const CGlEffect* effect) { activeEffect_ = effect; }

private:
    explicit CGlDevice(std::unique_ptr<IGlContext> context);
    bool Init(int backBufferWidth, int backBufferHeight, int framePeriodUs, bool paceByClock, QString* error);
    CGlTexture* OwnTexture(IDeviceTexture* texture) const;
    unsigned NewTexture(int width, int height);
    unsigned NewFramebuffer(unsigned texture);
    // After a swap: a back buffer of the window's new size, when it changed.
    void FollowWindowSize();
    void BindTarget(unsigned framebuffer, int width, int height);
    void BuryTextures();
    bool ReadFramebuffer(unsigned framebuffer, int width, int height, CPicture* picture);

    std::unique_ptr<IGlContext> context_;
    GlFunctions gl_;
    DeviceDescription description_;
    std::thread::id currentThread_;
    std::shared_ptr<CGlTextureGraveyard> graveyard_ = std::make_shared<CGlTextureGraveyard>();
    std::unique_ptr<CGlTexture> compositionTarget_;
    unsigned compositionFramebuffer_ = 0;
    unsigned backBufferTexture_ = 0;
    unsigned backBufferFramebuffer_ = 0;
    unsigned scratchFramebuffer_ = 0;     // clearing and reading textures
    unsigned vertexArray_ = 0;
    unsigned vertexBuffer_ = 0;
    unsigned vertexShader_ = 0;
    // The render target in use.
    unsigned targetFramebuffer_ = 0;
    int targetWidth_ = 0;
    int targetHeight_ = 0;
    const CGlEffect* activeEffect_ = nullptr;
    CFramePacer pacer_;
};
