// The OpenGL device against the CPU device: the same scenes, every pixel of
// the composition target and of the back buffer equal within 1 in 8 bits.
#include "DeviceScene.h"
#include "Requirements.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr int kCanvasWidth = 320;
constexpr int kCanvasHeight = 180;

struct NamedScene
{
    const char* name;
    scene::Frame frame;
};

// Several overlapping quads with alpha, one partly off the canvas, over a
// half-transparent back colour.
scene::Frame AlphaQuads()
{
    scene::Frame f;
    f.backColor = 0x40102030u;
    f.textures = {scene::Pattern(120, 60, 1), scene::Pattern(90, 90, 2), scene::Pattern(64, 40, 3),
                  scene::Solid(8, 8, 0xC0FF8000u)};
    f.quads = {
        {3, 0, 0, 200, 120, 0, 0, 1, 1, 255},   // solid background stretched from 8 x 8
        {0, 10, 20, 130, 80, 0, 0, 1, 1, 255},
        {1, 100, 50, 190, 140, 0, 0, 1, 1, 200},
        {2, 150, 10, 214, 50, 0, 0, 1, 1, 77},
        {0, 280, 150, 400, 210, 0, 0, 1, 1, 255},  // beyond the right and bottom edges
        {3, 60, 40, 170, 100, 0, 0, 1, 1, 128},    // solid again, over the patterns: drawing order holds
    };
    return f;
}

// Texture windows beyond 0..1: the moving text's ring buffer wraps.
scene::Frame WrapWindows()
{
    scene::Frame f;
    f.textures = {scene::Pattern(100, 40, 4), scene::TextLike(80, 60, 5)};
    f.quads = {
        {0, 0, 0, 100, 40, 0.37f, 0, 1.37f, 1, 255},
        {1, 120, 10, 200, 70, 0, 0.5f, 1, 1.5f, 230},
        {0, 20, 100, 120, 140, -0.5f, -0.25f, 0.5f, 0.75f, 255},
    };
    return f;
}

// Stretched and shrunk quads go through the bilinear sampler.
scene::Frame ScaledQuads()
{
    scene::Frame f;
    f.backColor = 0xFF000000u;
    f.textures = {scene::Pattern(40, 30, 6), scene::TextLike(64, 40, 7)};
    f.quads = {
        {0, 5, 5, 125, 95, 0, 0, 1, 1, 255},      // 3 x
        {1, 130, 20, 178, 50, 0, 0, 1, 1, 255},   // 0.75 x
        {0, 200, 100, 300, 130, 0.1f, 0.2f, 0.9f, 0.7f, 180},
    };
    return f;
}

// Every shadow size with every movement kind.
scene::Frame Shadows()
{
    scene::Frame f;
    f.backColor = 0xFF406080u;
    f.textures = {scene::TextLike(70, 40, 8), scene::Pattern(70, 40, 9)};
    const int sizes[4] = {1, 2, 4, 6};
    for (int s = 0; s < 4; ++s)
        for (int kind = 0; kind < 3; ++kind) {
            const float left = 5.0f + kind * 100;
            const float top = 5.0f + s * 44;
            scene::Quad q{0, left, top, left + 70, top + 40, 0, 0, 1, 1, s == 3 ? 160 : 255, sizes[s], kind};
            if (kind == 1) {  // scrolling: a window that wraps horizontally
                q.uLeft = 0.4f;
                q.uRight = 1.4f;
            } else if (kind == 2) {
                q.vTop = 0.3f;
                q.vBottom = 1.3f;
            }
            f.quads.push_back({1, left, top, left + 70, top + 40, 0, 0, 1, 1, 128});  // background below
            f.quads.push_back(q);
        }
    return f;
}

// Shadowed text stretched and shrunk, as while it zooms or wipes in; with a
// fade, and with a scrolling window.
scene::Frame ScaledShadows()
{
    scene::Frame f;
    f.backColor = 0xFF203040u;
    f.textures = {scene::TextLike(100, 30, 10)};
    f.quads = {
        {0, 5, 5, 67, 35, 0, 0, 1, 1, 255, 4, 0},         // 0.62 x, as a lower third halfway in
        {0, 80, 5, 280, 65, 0, 0, 1, 1, 200, 2, 0},       // 2 x
        {0, 5, 80, 160, 120, 0.3f, 0, 1.3f, 1, 255, 6, 1},
        {0, 180, 80, 300, 170, 0, 0.2f, 1, 1.2f, 90, 1, 2},
    };
    return f;
}

std::vector<NamedScene> Scenes()
{
    return {{"alpha quads", AlphaQuads()}, {"wrap windows", WrapWindows()}, {"scaled quads", ScaledQuads()},
            {"shadows", Shadows()}, {"scaled shadows", ScaledShadows()}};
}

class DeviceComparisonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        gl = scene::MakeDevice(DeviceChoice::kOpenGL, kCanvasWidth, kCanvasHeight);
        if (!gl)
            TAVREL_SKIP_WITHOUT(testenv::Need::kOpenGL, "no OpenGL 3.3 context can be made on this machine");
        cpu = scene::MakeDevice(DeviceChoice::kCpu, kCanvasWidth, kCanvasHeight);
    }

    void CompareComposition(const char* name, const scene::Frame& frame)
    {
        ASSERT_TRUE(scene::Draw(*cpu, frame)) << name;
        ASSERT_TRUE(scene::Draw(*gl, frame)) << name;
        CPicture a, b;
        ASSERT_TRUE(cpu->ReadTexture(cpu->CompositionTarget(), &a));
        ASSERT_TRUE(gl->ReadTexture(gl->CompositionTarget(), &b));
        ASSERT_TRUE(scene::SameSize(a, b, 2048, 2048)) << name << ": composition";
        int x = 0, y = 0;
        const int difference = scene::MaxDifference(a, b, 2048, 2048, &x, &y);
        EXPECT_LE(difference, 1) << name << ": composition differs at " << x << "," << y << ": cpu " << std::hex
                                 << a.pixels[y * 2048 + x] << " gl " << b.pixels[y * 2048 + x];
    }

    // The output pass alone, from the same premultiplied canvas on both
    // devices. (After a whole frame the output may differ by more: unfolding
    // a pixel of alpha a multiplies the composition's rounding by 255 / a.)
    void CompareEncoding(scene::Output output, const CPicture& canvas)
    {
        scene::Frame frame;
        frame.output = output;
        frame.canvasWidth = kCanvasWidth;
        frame.canvasHeight = kCanvasHeight;
        frame.backColor = 0xFF304050u;
        CPicture a, b;
        ASSERT_TRUE(scene::DrawOutput(*cpu, frame, canvas));
        ASSERT_TRUE(scene::DrawOutput(*gl, frame, canvas));
        ASSERT_TRUE(cpu->ReadBackBuffer(&a));
        ASSERT_TRUE(gl->ReadBackBuffer(&b));
        ASSERT_TRUE(scene::SameSize(a, b, kCanvasWidth, kCanvasHeight)) << static_cast<int>(output) << ": output";
        int x = 0, y = 0;
        const int difference = scene::MaxDifference(a, b, kCanvasWidth, kCanvasHeight, &x, &y);
        EXPECT_LE(difference, 1) << static_cast<int>(output) << ": output differs at " << x << "," << y << ": cpu "
                                 << std::hex << a.pixels[y * kCanvasWidth + x] << " gl "
                                 << b.pixels[y * kCanvasWidth + x];
    }

    std::unique_ptr<IGraphicsDevice> gl;
    std::unique_ptr<IGraphicsDevice> cpu;
};

TEST_F(DeviceComparisonTest, ScenesComposeToTheSamePixelsOnBothDevices)
{
    for (const NamedScene& s : Scenes())
        CompareComposition(s.name, s.frame);
}

TEST_F(DeviceComparisonTest, OutputEncodingsGiveTheSamePixelsOnBothDevices)
{
    // Premultiplied like a composition, every alpha from clear to opaque.
    CPicture canvas = scene::Pattern(kCanvasWidth, kCanvasHeight, 12);
    for (uint32_t& p : canvas.pixels) {
        const uint32_t a = p >> 24;
        p = (a << 24) | (scene::Channel(p, 16) * a / 255) << 16 | (scene::Channel(p, 8) * a / 255) << 8
            | scene::Channel(p, 0) * a / 255;
    }
    // Flat areas too: the left half of each row one colour (any alpha).
    for (int y = 0; y < kCanvasHeight; ++y)
        std::fill_n(&canvas.pixels[static_cast<size_t>(y) * kCanvasWidth], kCanvasWidth / 2,
                    canvas.pixels[static_cast<size_t>(y) * kCanvasWidth + kCanvasWidth - 1]);
    for (scene::Output output : {scene::Output::kFull, scene::Output::kLimited, scene::Output::kPreview})
        CompareEncoding(output, canvas);
}

}  // namespace
