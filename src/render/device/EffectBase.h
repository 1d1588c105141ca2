#pragma once

#include "render/device/EffectSource.h"
#include "render/device/GraphicsDevice.h"

#include <vector>

// What both devices' effects share: the parsed source, the selected
// technique, parameter values by name and the Begin/BeginPass bookkeeping.
// A device adds how a pass is applied and drawn.
class CEffectBase : public IDeviceEffect
{
public:
    explicit CEffectBase(CEffectSource source);

    bool SetTechnique(const char* name) override;
    bool SetFloat(const char* name, float value) override;
    bool SetTexture(const char* name, IDeviceTexture* texture) override;
    int Begin() override;
    bool BeginPass(int pass) override;
    void EndPass() override;
    void End() override;

    const CEffectSource& Source() const { return source_; }
    // The pass between BeginPass and EndPass, or null.
    const EffectPass* ActivePass() const { return activePass_; }
    float Parameter(int index) const { return values_[index]; }
    IDeviceTexture* Texture() const { return texture_; }

protected:
    // Called by BeginPass once the pass is known; false refuses the pass.
    virtual bool ApplyPass(const EffectPass& pass) = 0;
    virtual void ReleasePass() {}

private:
    CEffectSource source_;
    std::vector<float> values_;
    IDeviceTexture* texture_ = nullptr;
    int technique_ = -1;
    bool begun_ = false;
    const EffectPass* activePass_ = nullptr;
};
