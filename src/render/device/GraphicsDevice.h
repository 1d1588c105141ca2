#pragma once

#include "render/device/DeviceTypes.h"

#include <QString>

#include <cstdint>
#include <memory>

class CPicture;
class IDeviceEffect;

// The graphics device of the output engine: textures, one vertex buffer of
// pre-transformed quads, effects with named techniques, render targets and
// presentation. Two implementations give the same pixels (within 1 in 8
// bits): OpenGL 3.3 core (render/gl/) and the CPU device (render/cpu/), which
// is the reference the GL tests compare against.
//
// Threads: a device is created on any thread, then used by one thread at a
// time (the render thread), except where a call says otherwise. Textures may
// be destroyed on any thread at any time, also after their device is gone.
//
// Coordinates follow the pixel-centre convention the renderer computes in:
// pixel (x, y) has its centre at (x, y); a quad covers the pixels whose centre
// lies inside it, with its left and top edges included and its right and
// bottom edges excluded. (Both devices realise that rule by taking an edge
// that lies exactly on pixel centres as 1/256 pixel up or left of them; the
// texture coordinates of such a quad move with it.) Texture coordinates
// (u, v) span 0..1 over the texture, texel i having its centre at
// (i + 0.5) / size.
class IGraphicsDevice
{
public:
    virtual ~IGraphicsDevice() = default;

    // What kind of device this is; fixed for its life, except the back
    // buffer size of a window device (see Present).
    virtual const DeviceDescription& Description() const = 0;

    // The thread that used the device calls this before it ends (the render
    // thread on its way out), so that another thread may use or destroy the
    // device next. Cheap; the next call on any thread takes the device again.
    virtual void ReleaseThread() = 0;

    // A dynamic 32-bit texture of exactly width x height texels, contents
    // undefined (transparent black on both devices today). Returns null when
    // a size is 0, negative or above Description().maxTextureSize, or when
    // memory runs out; never a texture of another size. Cheap enough to call
    // when an object starts playing, not every frame.
    virtual std::unique_ptr<IDeviceTexture> CreateTexture(int width, int height) = 0;

    // The composition target: a 2048 x 2048 texture that can be drawn into
    // (SetRenderTarget) and then sampled by the output effect. Owned by the
    // device, lives as long as it.
    virtual IDeviceTexture* CompositionTarget() = 0;

    // Locks level 0 of a texture made by this device for writing: *locked
    // receives a pointer to texel (0, 0) and the row pitch in bytes; texels
    // are B, G, R, A bytes, rows top-down. With a region only that part will
    // be written (and uploaded): the pointer still addresses texel (0, 0) and
    // texels outside the region must not be touched. Unlock makes the written
    // texels visible to the next draw. Returns false (nothing locked) for a
    // texture of another device, a texture that is already locked or the
    // composition target. Both calls on the device's thread. A common
    // operation: text chunks and animation frames arrive this way.
    virtual bool LockTexture(IDeviceTexture* texture, LockedRect* locked, const DeviceRect* region = nullptr) = 0;
    virtual bool UnlockTexture(IDeviceTexture* texture) = 0;

    // Replaces the first count vertices of the vertex buffer (at most
    // kVertexBufferSize). The renderer uploads the whole array once per
    // frame that has quads; the buffer keeps its contents otherwise.
    virtual bool UploadVertices(const Vertex* vertices, int count) = 0;

    // One of the program's three effects, compiled from its source. Null
    // with a logged reason when the source is missing or does not compile.
    // Compiling takes milliseconds: make the effects once, at start. An
    // effect is used and destroyed on the device's thread, before the device.
    virtual std::unique_ptr<IDeviceEffect> CreateEffect(EffectId id) = 0;

    // Where Clear and DrawQuad write: the composition target, or the back
    // buffer when target is null. Any other texture is refused (false).
    virtual bool SetRenderTarget(IDeviceTexture* target) = 0;
    // Fills the whole render target with a 32-bit ARGB colour, as stored:
    // no premultiplication, no blending.
    virtual void Clear(uint32_t argb) = 0;
    // Draws vertices firstVertex..firstVertex + 3 as a triangle strip of two
    // triangles (top-left, top-right, bottom-left, bottom-right forming an
    // axis-aligned rectangle) with the pass of the effect that is between
    // BeginPass and EndPass. Outside a pass nothing is drawn. One call per
    // quad, up to 512 per frame: keep it cheap.
    virtual void DrawQuad(int firstVertex) = 0;

    // Ends the frame and shows the back buffer. Paced to the display: a
    // window device waits for the vertical blank when the system offers it;
    // when presenting does not wait (no vertical blank, or an off-screen
    // device with a frame period), the call sleeps until the next frame
    // deadline. A device made to pace by the frame clock (DeviceRequest::
    // paceByClock) never waits for the vertical blank and always sleeps to
    // the deadline. Off-screen devices without a frame period return at once.
    // Returns kDeviceLost when the device or its window has gone (the
    // renderer's error 5), kFailed for any other failure to present (error
    // 6), and kDrawFailed when the frame was shown but a call while drawing
    // it failed (the output goes on).
    // A window device presents from the drawing thread without waiting for
    // the GUI thread, and follows its window's size: once the window system
    // reports a new size, Present gives the back buffer that size (cleared
    // to transparent black) and Description() reports it, so the next frame
    // is drawn for it.
    virtual DeviceStatus Present() = 0;

    // Copies the back buffer as straight BGRA with alpha 255 into picture
    // (tests, the headless tool, thumbnails of the output). Waits for the
    // device; never call it in the frame loop of the output.
    virtual bool ReadBackBuffer(CPicture* picture) = 0;
    // Copies a texture's texels as they are (the composition target holds
    // premultiplied colour). Same cost warning as above.
    virtual bool ReadTexture(IDeviceTexture* texture, CPicture* picture) = 0;

    // The processor time, in µs, of the threads the device draws with
    // besides the caller (the CPU device's band workers), from their own
    // clocks: so that the work of a frame can be told from its wall time.
    // -1 where the device cannot tell (a driver's threads).
    virtual int64_t HelperThreadsCpuUs() const { return -1; }
};

// A compiled effect: techniques by name, each with passes; parameters by name.
// Used on the device's thread.
class IDeviceEffect
{
public:
    virtual ~IDeviceEffect() = default;

    // Selects a technique by name; false (and no change) for an unknown name.
    virtual bool SetTechnique(const char* name) = 0;
    // Sets a float parameter or the texture parameter by name; false for an
    // unknown name. Values stay until changed and apply to every draw after
    // the call, also within a pass (no separate commit is needed).
    virtual bool SetFloat(const char* name, float value) = 0;
    virtual bool SetTexture(const char* name, IDeviceTexture* texture) = 0;

    // Begin returns the number of passes of the technique (0 without one);
    // BeginPass applies pass index's shader, sampler and blend states and the
    // current parameters; EndPass and End leave no state behind.
    virtual int Begin() = 0;
    virtual bool BeginPass(int pass) = 0;
    virtual void EndPass() = 0;
    virtual void End() = 0;
};
