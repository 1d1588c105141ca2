#pragma once

#include "render/core/FramePacer.h"
#include "render/device/GraphicsDevice.h"
#include "render/cpu/BandWorkers.h"
#include "render/cpu/CpuDrawList.h"
#include "render/cpu/CpuKernels.h"
#include "render/cpu/CpuTexture.h"

#include <memory>
#include <vector>

class CCpuEffect;
class ICpuWindowPresenter;
class QWindow;

// The graphics device on the processor: the reference for the OpenGL device
// and the device of machines without a hardware OpenGL driver. Quads whose
// texels map to pixels one to one are blended straight from the texture rows;
// everything else goes through the sampler. The quads of a frame are drawn
// together in row bands across the cores (CCpuDrawList).
class CCpuDevice : public IGraphicsDevice
{
public:
    // Off-screen, with a back buffer of width x height. framePeriodUs paces
    // Present (0: no pacing); threads 0 means one per core (at most 8).
    // paceByClock: the frame clock alone, however long presenting took.
    CCpuDevice(int backBufferWidth, int backBufferHeight, int framePeriodUs, int threads = 0, bool paceByClock = false);
    // On a window (made on the window's thread): Present shows the back
    // buffer there from whichever thread draws, paced by the frame period,
    // and then gives the back buffer the window's size when it has changed.
    CCpuDevice(QWindow* window, int framePeriodUs, int threads = 0, bool paceByClock = false);
    ~CCpuDevice() override;

    const DeviceDescription& Description() const override { return description_; }
    int64_t HelperThreadsCpuUs() const override;
    void ReleaseThread() override {}
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

    // The effect whose pass is active (set by CCpuEffect), or null.
    void SetActiveEffect(const CCpuEffect* effect) { activeEffect_ = effect; }

    static constexpr int kMaxTextureSize = 8192;

private:
    void Init(int width, int height, int framePeriodUs, int threads, bool paceByClock);
    void FollowWindowSize();
    CCpuTexture* OwnTexture(IDeviceTexture* texture) const;
    bool MapQuad(int firstVertex, CpuQuadSpan* span) const;
    void DrawYCbCr(const CpuQuadSpan& span, CCpuTexture& texture, const EffectPass& pass, cpukernels::YCbCrRange range);
    void DrawUnfoldAlpha(const CpuQuadSpan& span, CCpuTexture& texture, const EffectPass& pass);
    cpukernels::SamplerView SamplerOf(const EffectPass& pass) const;

    DeviceDescription description_;
    std::unique_ptr<CCpuTexture> compositionTarget_;
    // The last clear of the composition target and the pixels drawn since.
    struct
    {
        bool valid = false;
        uint32_t colour = 0;
        DeviceRect drawn;
    } compositionClear_;
    std::unique_ptr<CCpuTexture> backBuffer_;
    CCpuTexture* renderTarget_ = nullptr;
    std::vector<Vertex> vertices_;
    const CCpuEffect* activeEffect_ = nullptr;
    std::unique_ptr<CBandWorkers> workers_;
    // The clear of the composition target and the quads drawn into it,
    // carried out together, band by band, when something reads the target
    // (the output pass, a read-back, presenting). Quads drawn elsewhere go
    // through their own list at once.
    std::unique_ptr<CCpuDrawList> composition_;
    std::unique_ptr<CCpuDrawList> immediate_;
    void FlushComposition();
    CFramePacer pacer_;
    std::unique_ptr<ICpuWindowPresenter> presenter_;
};
