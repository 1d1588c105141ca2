#include "render/device/EffectBase.h"

#include <utility>

CEffectBase::CEffectBase(CEffectSource source)
    : source_(std::move(source)), values_(source_.parameters.size(), 0.0f)
{
}

bool CEffectBase::SetTechnique(const char* name)
{
    const int index = source_.FindTechnique(QString::fromLatin1(name));
    if (index < 0)
        return false;
    technique_ = index;
    return true;
}

bool CEffectBase::SetFloat(const char* name, float value)
{
    const int index = source_.FindParameter(QString::fromLatin1(name));
    if (index < 0)
        return false;
    values_[index] = value;
    return true;
}

bool CEffectBase::SetTexture(const char* name, IDeviceTexture* texture)
{
    if (source_.textureName != QLatin1String(name))
        return false;
    texture_ = texture;
    return true;
}

int CEffectBase::Begin()
{
    if (technique_ < 0)
        return 0;
    begun_ = true;
    return static_cast<int>(source_.techniques[technique_].passes.size());
}

bool CEffectBase::BeginPass(int pass)
{
    if (!begun_ || activePass_)
        return false;
    const auto& passes = source_.techniques[technique_].passes;
    if (pass < 0 || pass >= static_cast<int>(passes.size()))
        return false;
    if (!ApplyPass(passes[pass]))
        return false;
    activePass_ = &passes[pass];
    return true;
}

void CEffectBase::EndPass()
{
    if (!activePass_)
        return;
    ReleasePass();
    activePass_ = nullptr;
}

void CEffectBase::End()
{
    EndPass();
    begun_ = false;
}
