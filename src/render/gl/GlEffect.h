#pragma once

#include "render/device/EffectBase.h"

#include <QString>

#include <memory>
#include <vector>

class CGlDevice;
struct GlFunctions;

// An effect of the OpenGL device: one program per shader entry of the
// source, one sampler object per sampler state.
class CGlEffect : public CEffectBase
{
public:
    // Null with a reason when a shader does not compile or link.
    static std::unique_ptr<CGlEffect> Create(CGlDevice* device, const GlFunctions& gl, unsigned vertexShader,
                                             CEffectSource source, QString* error);
    ~CGlEffect() override;

    // Compiles one shader stage; 0 with the compiler's log on failure.
    static unsigned CompileShader(const GlFunctions& gl, unsigned type, const QByteArray& source, QString* error);

    // Binds the texture and the parameters for the next draw; the device
    // supplies the render target's size.
    void PrepareDraw(unsigned texture, float targetWidth, float targetHeight) const;

protected:
    bool ApplyPass(const EffectPass& pass) override;
    void ReleasePass() override;

private:
    struct Program
    {
        QString entry;
        unsigned name = 0;
        std::vector<int> parameterLocations;
        int targetSizeLocation = -1;
    };

    CGlEffect(CGlDevice* device, const GlFunctions& gl, CEffectSource source);

    CGlDevice* device_;
    const GlFunctions& gl_;
    std::vector<Program> programs_;  // by shader entry
    std::vector<unsigned> samplers_;  // by sampler state
    const Program* activeProgram_ = nullptr;
};
