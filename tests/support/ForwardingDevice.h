#pragma once

#include "render/device/GraphicsDevice.h"

#include <memory>
#include <utility>

// A graphics device that hands every call to a real one: tests derive from it
// and change the one call they make misbehave (a failed present, an error
// left behind by a draw).
class CForwardingDevice : public IGraphicsDevice
{
public:
    explicit CForwardingDevice(std::unique_ptr<IGraphicsDevice> inner) : inner_(std::move(inner)) {}

    const DeviceDescription& Description() const override { return inner_->Description(); }
    void ReleaseThread() override { inner_->ReleaseThread(); }
    std::unique_ptr<IDeviceTexture> CreateTexture(int w, int h) override { return inner_->CreateTexture(w, h); }
    IDeviceTexture* CompositionTarget() override { return inner_->CompositionTarget(); }
    bool LockTexture(IDeviceTexture* t, LockedRect* l, const DeviceRect* r) override
    {
        return inner_->LockTexture(t, l, r);
    }
    bool UnlockTexture(IDeviceTexture* t) override { return inner_->UnlockTexture(t); }
    bool UploadVertices(const Vertex* v, int count) override { return inner_->UploadVertices(v, count); }
    std::unique_ptr<IDeviceEffect> CreateEffect(EffectId id) override { return inner_->CreateEffect(id); }
    bool SetRenderTarget(IDeviceTexture* target) override { return inner_->SetRenderTarget(target); }
    void Clear(uint32_t argb) override { inner_->Clear(argb); }
    void DrawQuad(int firstVertex) override { inner_->DrawQuad(firstVertex); }
    DeviceStatus Present() override { return inner_->Present(); }
    bool ReadBackBuffer(CPicture* p) override { return inner_->ReadBackBuffer(p); }
    bool ReadTexture(IDeviceTexture* t, CPicture* p) override { return inner_->ReadTexture(t, p); }
    int64_t HelperThreadsCpuUs() const override { return inner_->HelperThreadsCpuUs(); }

protected:
    IGraphicsDevice& Inner() { return *inner_; }

private:
    std::unique_ptr<IGraphicsDevice> inner_;
};
