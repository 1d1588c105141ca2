#pragma once

// A texture of the graphics device that an object draws with (its background
// or its text). The object owns it and releases it when it stops; the device
// implementations derive their textures from this class, so the object model
// needs nothing of the device.
//
// Contract for implementations: the destructor may run on any thread (the
// user-interface thread releases the textures of a stopped object after the
// render thread has let go of it); a device whose resources belong to one
// thread or context must defer the actual release to that thread. Textures
// must stay safe to destroy after their device has gone.
class IObjectTexture
{
public:
    virtual ~IObjectTexture() = default;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
};
