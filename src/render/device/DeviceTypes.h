#pragma once

#include <QString>

#include <cstdint>

// Plain types shared by the graphics device interface and its users.

// Outcome of presenting a frame. Never 0, so a forgotten value shows up.
enum class DeviceStatus : int
{
    kOk = 1,
    kDeviceLost = 2,  // the device or its window went away: renderer error 5
    kFailed = 3,      // any other failure: renderer error 6
    // Shown, but a call of the frame failed (an OpenGL error): the frame may
    // be wrong; the renderer logs it and goes on.
    kDrawFailed = 4,
};

// The three effects, by the ids of their sources.
enum class EffectId : int
{
    kYCbCrOutput = 701,
    kCompositing = 702,
    kPlainOutput = 703,
};

// One vertex of the vertex buffer (28 bytes, the layout the renderer fills):
// pre-transformed pixel position with z and reciprocal w, diffuse ARGB of
// which only the alpha byte is used, one texture coordinate pair.
struct Vertex
{
    float x = 0;
    float y = 0;
    float z = 0.5f;
    float rhw = 1.0f;
    uint32_t diffuse = 0;
    float u = 0;
    float v = 0;
};
static_assert(sizeof(Vertex) == 28, "the vertex buffer layout has 28-byte vertices");

// Writes one quad as four vertices in triangle-strip order (top-left,
// top-right, bottom-left, bottom-right) with its texture window.
inline void SetQuadVertices(Vertex* v, float left, float top, float right, float bottom, float uLeft, float vTop,
                            float uRight, float vBottom, uint32_t diffuse)
{
    const float xs[4] = {left, right, left, right};
    const float ys[4] = {top, top, bottom, bottom};
    const float us[4] = {uLeft, uRight, uLeft, uRight};
    const float vs[4] = {vTop, vTop, vBottom, vBottom};
    for (int i = 0; i < 4; ++i) {
        v[i] = Vertex();
        v[i].x = xs[i];
        v[i].y = ys[i];
        v[i].u = us[i];
        v[i].v = vs[i];
        v[i].diffuse = diffuse;
    }
}

// Room of the vertex buffer: the output quad and 513 object quads.
inline constexpr int kVertexBufferSize = 2056;
// Both sides of the composition target.
inline constexpr int kCompositionTargetSize = 2048;

// A rectangle of texels; right and bottom exclusive.
struct DeviceRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct LockedRect
{
    uint8_t* bits = nullptr;  // texel (0, 0)
    int pitch = 0;            // bytes from one row to the next
};

// A texture of a device. Its size never changes.
class IDeviceTexture
{
public:
    virtual ~IDeviceTexture() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
};

// What a device is, for the log and for the automatic choice of device.
struct DeviceDescription
{
    QString api;        // "OpenGL" or "CPU"
    QString renderer;   // the driver's renderer string, or the CPU device's thread count
    QString version;    // the driver's version string
    bool softwareRasteriser = false;  // an OpenGL driver that draws on the CPU (llvmpipe)
    int maxTextureSize = 0;
    int backBufferWidth = 0;
    int backBufferHeight = 0;
    // Present keeps to the frame clock alone and never waits for the
    // vertical blank (the alternative vertical sync).
    bool clockPaced = false;
};
