#include "render/cpu/CpuEffect.h"

#include "render/cpu/CpuDevice.h"

#include <utility>

CCpuEffect::CCpuEffect(CCpuDevice* device, CEffectSource source) : CEffectBase(std::move(source)), device_(device) {}

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
