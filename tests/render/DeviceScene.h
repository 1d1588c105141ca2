#pragma once

#include "model/Picture.h"
#include "render/device/GraphicsDevice.h"
#include "render/device/GraphicsDeviceFactory.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// Drives a graphics device through one output frame the way the renderer
// does: object quads composed into the composition target (with drop
// shadows), then the target encoded onto the back buffer.
namespace scene {

struct Quad
{
    int texture = 0;                 // index into Frame::textures
    float left, top, right, bottom;  // canvas pixels
    float uLeft = 0, vTop = 0, uRight = 1, vBottom = 1;
    int alpha = 255;
    int shadowSize = 0;  // 0, 1, 2, 4, 6
    int shadowKind = 0;  // 0 fixed, 1 horizontal scroll, 2 vertical roll
};

enum class Output { kFull, kLimited, kPreview };

struct Frame
{
    std::vector<CPicture> textures;
    std::vector<Quad> quads;
    uint32_t backColor = 0;
    Output output = Output::kLimited;
    int canvasWidth = 0;  // preview only: the canvas shown on the whole back buffer
    int canvasHeight = 0;
};

// An off-screen device; null when that kind cannot be made here.
std::unique_ptr<IGraphicsDevice> MakeDevice(DeviceChoice choice, int width, int height);

// Draws the frame; false when a device call failed. The composition target
// and the back buffer hold the results.
bool Draw(IGraphicsDevice& device, const Frame& frame);

// Only the output pass: a premultiplied canvas (at the top-left of a
// 2048 x 2048 texture) encoded onto the back buffer as the frame's output
// says.
bool DrawOutput(IGraphicsDevice& device, const Frame& frame, const CPicture& canvas);

// Uploads a picture into a new texture of its size.
std::unique_ptr<IDeviceTexture> Upload(IGraphicsDevice& device, const CPicture& picture);

// Deterministic test pictures: straight BGRA with varied alpha.
CPicture Pattern(int width, int height, unsigned seed);
// Opaque or clear blocks, like rendered text with soft edges.
CPicture TextLike(int width, int height, unsigned seed);
CPicture Solid(int width, int height, uint32_t argb);

// Both pictures of the given size, which is not empty: a device that read
// back nothing must not pass a comparison for lack of pixels to differ.
::testing::AssertionResult SameSize(const CPicture& a, const CPicture& b, int width, int height);

// Largest difference of any channel over the width x height area at the
// top left; where the first such pixel is. 256, more than any channel can
// differ, when a picture does not cover the area (or it is empty).
int MaxDifference(const CPicture& a, const CPicture& b, int width, int height, int* atX = nullptr,
                  int* atY = nullptr);

inline uint32_t Channel(uint32_t pixel, int shift) { return (pixel >> shift) & 0xFF; }

}  // namespace scene
