#pragma once

#include "render/device/EffectBase.h"

class CCpuDevice;

// The pixel programs of the CPU device, by the shader entry names of the
// effect sources.
enum class CpuKernel
{
    kAlphaMix = 1,      // AlphaMixPS
    kShadow,            // AlphaMixShadowHVPS, AlphaMixShadowHPS, AlphaMixShadowVPS
    kYCbCrFull,         // RGBA2YCbCrACompressedPS
    kYCbCrLimited,      // RGBA2YCbCrAUncompressedPS
    kUnfoldAlpha,       // AlphaBlendPS
};

// An effect of the CPU device: the same source as the OpenGL device reads
// (techniques, passes, sampler and blend states); each shader entry maps to
// a kernel written from the same maths.
class CCpuEffect : public CEffectBase
{
public:
    CCpuEffect(CCpuDevice* device, CEffectSource source);
    ~CCpuEffect() override;

    // The kernel of a shader entry; false for an entry the CPU device lacks.
    static bool KernelOfShader(const QString& entry, CpuKernel* kernel);

    CpuKernel ActiveKernel() const { return kernel_; }

    // The 13 taps of the drop shadow's diamond in texture coordinates, from
    // the parameters g_fXL2 ... g_fYR2 (0 where the effect lacks one).
    void ShadowTapOffsets(double offsetU[13], double offsetV[13]) const;

protected:
    bool ApplyPass(const EffectPass& pass) override;
    void ReleasePass() override;

private:
    CCpuDevice* device_;
    CpuKernel kernel_ = CpuKernel::kAlphaMix;
    // The parameter indices of each shadow tap's offsets, looked up once.
    int shadowTapParameters_[13][2];
};
