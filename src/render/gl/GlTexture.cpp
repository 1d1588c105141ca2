#include "render/gl/GlTexture.h"

void CGlTextureGraveyard::Bury(unsigned name)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!deviceGone_)
        names_.push_back(name);
}

std::vector<unsigned> CGlTextureGraveyard::TakeAll()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(names_, {});
}

void CGlTextureGraveyard::DeviceGone()
{
    std::lock_guard<std::mutex> lock(mutex_);
    deviceGone_ = true;
    names_.clear();
}
