#pragma once

#include "render/device/DeviceTypes.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

class CGlDevice;

// Texture names whose owners went away on some thread; the device deletes
// them on its own thread. Outlives the device when textures do.
class CGlTextureGraveyard
{
public:
    void Bury(unsigned name);
    std::vector<unsigned> TakeAll();
    void DeviceGone();

private:
    std::mutex mutex_;
    std::vector<unsigned> names_;
    bool deviceGone_ = false;
};

// A texture of the OpenGL device. Locking hands out a copy in memory that
// unlocking uploads (the locked region only).
class CGlTexture : public IDeviceTexture
{
public:
    CGlTexture(const CGlDevice* owner, std::shared_ptr<CGlTextureGraveyard> graveyard, unsigned name, int width,
               int height)
        : owner(owner), name(name), width(width), height(height), graveyard_(std::move(graveyard))
    {
    }
    ~CGlTexture() override { graveyard_->Bury(name); }

    int Width() const override { return width; }
    int Height() const override { return height; }

    const CGlDevice* owner;  // compared only: the device may be gone
    const unsigned name;
    const int width;
    const int height;
    std::vector<uint32_t> staging;  // made on the first lock
    bool locked = false;
    DeviceRect lockedRegion;

private:
    std::shared_ptr<CGlTextureGraveyard> graveyard_;
};
