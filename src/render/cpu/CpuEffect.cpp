#include "render/cpu/CpuEffect.h"

#include "render/cpu/CpuDevice.h"

#include <utility>

namespace {

// The 13 taps of the diamond, as parameter names of their x and y offsets.
const char* const kShadowTaps[13][2] = {
    {"g_fX00", "g_fYL2"},
    {"g_fXL1", "g_fYL1"}, {"g_fX00", "g_fYL1"}, {"g_fXR1", "g_fYL1"},
    {"g_fXL2", "g_fY00"}, {"g_fXL1", "g_fY00"}, {"g_fX00", "g_fY00"}, {"g_fXR1", "g_fY00"}, {"g_fXR2", "g_fY00"},
    {"g_fXL1", "g_fYR1"}, {"g_fX00", "g_fYR1"}, {"g_fXR1", "g_fYR1"},
    {"g_fX00", "g_fYR2"},
};

}  // namespace

CCpuEffect::CCpuEffect(CCpuDevice* device, CEffectSource source) : CEffectBase(std::move(source)), device_(device)
{
    for (int k = 0; k < 13; ++k)
        for (int axis = 0; axis < 2; ++axis)
            shadowTapParameters_[k][axis] = Source().FindParameter(QLatin1String(kShadowTaps[k][axis]));
}

void CCpuEffect::ShadowTapOffsets(double offsetU[13], double offsetV[13]) const
{
    for (int k = 0; k < 13; ++k) {
        const int u = shadowTapParameters_[k][0];
        const int v = shadowTapParameters_[k][1];
        offsetU[k] = u >= 0 ? Parameter(u) : 0.0;
        offsetV[k] = v >= 0 ? Parameter(v) : 0.0;
    }
}

CCpuEffect::~CCpuEffect()
{
    End();
}

bool CCpuEffect::KernelOfShader(const QString& entry, CpuKernel* kernel)
{
    static const std::pair<const char*, CpuKernel> kKernels[] = {
        {"AlphaMixPS", CpuKernel::kAlphaMix},
        {"AlphaMixShadowHVPS", CpuKernel::kShadow},
        {"AlphaMixShadowHPS", CpuKernel::kShadow},
        {"AlphaMixShadowVPS", CpuKernel::kShadow},
        {"RGBA2YCbCrACompressedPS", CpuKernel::kYCbCrFull},
        {"RGBA2YCbCrAUncompressedPS", CpuKernel::kYCbCrLimited},
        {"AlphaBlendPS", CpuKernel::kUnfoldAlpha},
    };
    for (const auto& [name, k] : kKernels) {
        if (entry == QLatin1String(name)) {
            *kernel = k;
            return true;
        }
    }
    return false;
}

bool CCpuEffect::ApplyPass(const EffectPass& pass)
{
    if (!KernelOfShader(pass.shader, &kernel_))
        return false;
    device_->SetActiveEffect(this);
    return true;
}

void CCpuEffect::ReleasePass()
{
    device_->SetActiveEffect(nullptr);
}
