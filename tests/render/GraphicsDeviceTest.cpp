// Behaviour every graphics device must show, checked on the CPU device and,
// where OpenGL 3.3 can be made (Mesa under Xvfb or EGL surfaceless), on the
// OpenGL device.
#include "DeviceScene.h"
#include "Requirements.h"

#include "render/device/EffectSource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

using scene::Channel;

constexpr int kWidth = 64;
constexpr int kHeight = 32;

class GraphicsDeviceTest : public ::testing::TestWithParam<DeviceChoice>
{
protected:
    void SetUp() override
    {
        device = scene::MakeDevice(GetParam(), kWidth, kHeight);
        if (!device)
            TAVREL_SKIP_WITHOUT(testenv::Need::kOpenGL, "no OpenGL 3.3 context can be made on this machine");
    }

    // The back buffer after one frame.
    CPicture Output(const scene::Frame& frame)
    {
        EXPECT_TRUE(scene::Draw(*device, frame));
        CPicture picture;
        EXPECT_TRUE(device->ReadBackBuffer(&picture));
        return picture;
    }
    CPicture Composition()
    {
        CPicture picture;
        EXPECT_TRUE(device->ReadTexture(device->CompositionTarget(), &picture));
        return picture;
    }
    static uint32_t At(const CPicture& p, int x, int y) { return p.pixels[static_cast<size_t>(y) * p.width + x]; }

    std::unique_ptr<IGraphicsDevice> device;
};

std::string DeviceName(const ::testing::TestParamInfo<DeviceChoice>& info)
{
    return info.param == DeviceChoice::kCpu ? "Cpu" : "OpenGL";
}

INSTANTIATE_TEST_SUITE_P(Devices, GraphicsDeviceTest, ::testing::Values(DeviceChoice::kCpu, DeviceChoice::kOpenGL),
                         DeviceName);

TEST_P(GraphicsDeviceTest, TexturesHaveExactlyTheRequestedSize)
{
    auto texture = device->CreateTexture(333, 17);
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->Width(), 333);
    EXPECT_EQ(texture->Height(), 17);
    EXPECT_EQ(device->CompositionTarget()->Width(), 2048);
    EXPECT_EQ(device->CompositionTarget()->Height(), 2048);
    for (auto [w, h] : {std::pair{0, 8}, {8, 0}, {-1, 8}, {device->Description().maxTextureSize + 1, 8}})
        EXPECT_FALSE(device->CreateTexture(w, h)) << w << " x " << h;
}

TEST_P(GraphicsDeviceTest, LockingIsRefusedWhereItWouldCorruptState)
{
    auto texture = device->CreateTexture(8, 8);
    LockedRect locked;
    EXPECT_FALSE(device->LockTexture(device->CompositionTarget(), &locked));
    ASSERT_TRUE(device->LockTexture(texture.get(), &locked));
    EXPECT_EQ(locked.pitch, 32);
    EXPECT_FALSE(device->LockTexture(texture.get(), &locked));
    EXPECT_TRUE(device->UnlockTexture(texture.get()));
    EXPECT_FALSE(device->UnlockTexture(texture.get()));

    auto other = scene::MakeDevice(DeviceChoice::kCpu, 8, 8);
    auto foreign = other->CreateTexture(8, 8);
    EXPECT_FALSE(device->LockTexture(foreign.get(), &locked));
    EXPECT_FALSE(device->SetRenderTarget(texture.get()));
}

TEST_P(GraphicsDeviceTest, LockedRegionUploadsOnlyThatRegion)
{
    auto texture = scene::Upload(*device, scene::Solid(8, 4, 0xFF102030u));
    LockedRect locked;
    const DeviceRect region{2, 1, 4, 3};
    ASSERT_TRUE(device->LockTexture(texture.get(), &locked, &region));
    for (int y = region.top; y < region.bottom; ++y)
        for (int x = region.left; x < region.right; ++x)
            reinterpret_cast<uint32_t*>(locked.bits + y * locked.pitch)[x] = 0x80FFFFFFu;
    ASSERT_TRUE(device->UnlockTexture(texture.get()));
    CPicture read;
    ASSERT_TRUE(device->ReadTexture(texture.get(), &read));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 2 && x < 4 && y >= 1 && y < 3;
            EXPECT_EQ(At(read, x, y), inside ? 0x80FFFFFFu : 0xFF102030u) << x << "," << y;
        }
}

TEST_P(GraphicsDeviceTest, EffectsKnowTheirTechniquesAndParametersByName)
{
    auto compositing = device->CreateEffect(EffectId::kCompositing);
    auto ycbcr = device->CreateEffect(EffectId::kYCbCrOutput);
    auto plain = device->CreateEffect(EffectId::kPlainOutput);
    ASSERT_TRUE(compositing && ycbcr && plain);
    for (const char* name : {"AlphaMix", "AlphaMixShadowHV", "AlphaMixShadowH", "AlphaMixShadowV"})
        EXPECT_TRUE(compositing->SetTechnique(name)) << name;
    EXPECT_EQ(compositing->Begin(), 2);  // the last one: shadow, then the text
    compositing->End();
    EXPECT_TRUE(ycbcr->SetTechnique("RGBA2YCbCrA_Full"));
    EXPECT_TRUE(ycbcr->SetTechnique("RGBA2YCbCrA_Limited"));
    EXPECT_TRUE(plain->SetTechnique("AlphaBlend"));
    EXPECT_FALSE(plain->SetTechnique("RGBA2YCbCrA_Full"));
    EXPECT_TRUE(ycbcr->SetFloat("g_TextureWidth", 2047));
    EXPECT_TRUE(compositing->SetFloat("g_fYR2", 0.5f));
    EXPECT_FALSE(compositing->SetFloat("g_TextureWidth", 1));
    EXPECT_FALSE(compositing->SetTexture("g_txOther", device->CompositionTarget()));
    EXPECT_FALSE(compositing->BeginPass(0));  // outside Begin
}

// An empty page still leaves a frame: transparent black, encoded.
TEST_P(GraphicsDeviceTest, TransparentBlackEncodesToTheBlackLevelOfEachRange)
{
    struct Case
    {
        scene::Output output;
        uint32_t red, green, blue;
    } cases[] = {
        {scene::Output::kFull, 16, 128, 16},   // 16.5/256, 128.5/256, 16.5/256
        {scene::Output::kLimited, 0, 128, 0},  // 0.5/256, 128.5/256, 0.5/256
    };
    for (const Case& c : cases) {
        scene::Frame frame;
        frame.output = c.output;
        const CPicture out = Output(frame);
        for (auto [x, y] : {std::pair{0, 0}, {1, 0}, {kWidth - 1, kHeight - 1}}) {
            const uint32_t p = At(out, x, y);
            EXPECT_EQ(Channel(p, 16), c.red);
            EXPECT_EQ(Channel(p, 8), c.green);
            EXPECT_EQ(Channel(p, 0), c.blue);
        }
    }
}

TEST_P(GraphicsDeviceTest, OpaqueWhiteEncodesToPeakLumaAndFullKey)
{
    struct Case
    {
        scene::Output output;
        uint32_t red, green, blue;
    } cases[] = {
        // Y' = 0.859 (the matrix row's sum); Cb, Cr of white are about 0.
        {scene::Output::kLimited, 220, 128, 255},
        {scene::Output::kFull, 204, 128, 234},
    };
    for (const Case& c : cases) {
        scene::Frame frame;
        frame.output = c.output;
        frame.textures.push_back(scene::Solid(16, 8, 0xFFFFFFFFu));
        frame.quads.push_back({0, 4, 4, 20, 12});
        const CPicture out = Output(frame);
        for (int x = 4; x < 20; ++x) {
            const uint32_t p = At(out, x, 6);
            EXPECT_NEAR(Channel(p, 16), c.red, 1) << x;
            EXPECT_NEAR(Channel(p, 8), c.green, 1) << x;
            EXPECT_EQ(Channel(p, 0), c.blue) << x;
        }
    }
}

TEST_P(GraphicsDeviceTest, AdjacentPixelsShareTheMeanChromaOfTheirPair)
{
    scene::Frame frame;
    frame.output = scene::Output::kLimited;
    CPicture pair = scene::Solid(2, 1, 0xFFFF0000u);  // red, then blue
    pair.pixels[1] = 0xFF0000FFu;
    frame.textures.push_back(pair);
    frame.quads.push_back({0, 10, 3, 12, 4});
    const CPicture out = Output(frame);
    // Cb and Cr over the pair: red (-0.101, 0.439), blue (0.439, -0.040).
    const double cb = (-0.101 + 0.439) * 0.5 + 0.5 / 256 + 0.5;
    const double cr = (0.439 - 0.040) * 0.5 + 0.5 / 256 + 0.5;
    EXPECT_NEAR(Channel(At(out, 10, 3), 8), cb * 255, 1);
    EXPECT_NEAR(Channel(At(out, 11, 3), 8), cr * 255, 1);
    EXPECT_NEAR(Channel(At(out, 10, 3), 16), (0.183 + 0.5 / 256) * 255, 1);
    EXPECT_NEAR(Channel(At(out, 11, 3), 16), (0.062 + 0.5 / 256) * 255, 1);
}

TEST_P(GraphicsDeviceTest, ShadowIsADiamondDisplacedBySizeMinusOne)
{
    struct Case
    {
        int shadowSize;
        int displacement;
    } cases[] = {{1, 0}, {2, 1}, {4, 3}, {6, 5}};
    for (const Case& c : cases) {
        scene::Frame frame;
        CPicture dot = scene::Solid(16, 16, 0x00000000u);
        dot.pixels[4 * 16 + 4] = 0xFFFFFFFFu;  // one opaque white texel at (4, 4)
        frame.textures.push_back(dot);
        frame.quads.push_back({0, 20, 10, 36, 26, 0, 0, 1, 1, 255, c.shadowSize, 0});
        Output(frame);
        const CPicture composed = Composition();
        const int cx = 24 + c.displacement;
        const int cy = 14 + c.displacement;
        // One tap of 13 sees the texel: alpha 255 / 13.
        const uint32_t expected = 20;
        for (auto [dx, dy] : {std::pair{0, 2}, {-1, 1}, {1, -1}, {-2, 0}, {2, 0}, {0, -2}}) {
            if (cx + dx == 24 && cy + dy == 14)
                continue;
            EXPECT_EQ(Channel(At(composed, cx + dx, cy + dy), 24), expected) << c.shadowSize << ": " << dx << "," << dy;
        }
        for (auto [dx, dy] : {std::pair{3, 0}, {0, 3}, {2, 2}, {-2, -1}})
            EXPECT_EQ(Channel(At(composed, cx + dx, cy + dy), 24), 0u) << c.shadowSize << ": " << dx << "," << dy;
        EXPECT_EQ(At(composed, 24, 14), 0xFFFFFFFFu) << "the text covers its shadow";
    }
}

TEST_P(GraphicsDeviceTest, PreviewShowsStraightColourOverTheBackColour)
{
    scene::Frame frame;
    frame.output = scene::Output::kPreview;
    frame.canvasWidth = kWidth;
    frame.canvasHeight = kHeight;
    frame.backColor = 0xFF000080u;  // opaque dark blue
    frame.textures.push_back(scene::Solid(8, 8, 0x80FF0000u));  // half-transparent red
    frame.quads.push_back({0, 8, 8, 16, 16});
    const CPicture out = Output(frame);
    const uint32_t p = At(out, 10, 10);
    EXPECT_NEAR(Channel(p, 16), 128, 1);
    EXPECT_NEAR(Channel(p, 0), 64, 1);
    EXPECT_EQ(At(out, 2, 2) & 0xFFFFFF, 0x000080u);
}

TEST_P(GraphicsDeviceTest, EveryClearCoversTheWholeComposition)
{
    // Frame 1 draws a solid quad and a pattern; frame 2 draws elsewhere: what
    // frame 1 drew is gone. Two clears in a row leave the second colour.
    scene::Frame first;
    first.backColor = 0x20101010u;
    first.textures = {scene::Solid(8, 8, 0xFF00FF00u), scene::Pattern(16, 16, 3)};
    first.quads = {{0, 0, 0, 20, 20}, {1, 30, 4, 46, 20}};
    Output(first);
    EXPECT_EQ(At(Composition(), 10, 10), 0xFF00FF00u);
    scene::Frame second = first;
    second.quads = {{0, 40, 24, 48, 32}};
    Output(second);
    const CPicture composition = Composition();
    for (const auto& [x, y] : {std::pair{10, 10}, std::pair{35, 10}, std::pair{100, 100}})
        EXPECT_EQ(At(composition, x, y), 0x20101010u) << x << ", " << y;
    EXPECT_EQ(At(composition, 44, 28), 0xFF00FF00u);

    ASSERT_TRUE(device->SetRenderTarget(device->CompositionTarget()));
    device->Clear(0xFF112233u);
    device->Clear(0xFF112233u);
    const CPicture cleared = Composition();
    for (const auto& [x, y] : {std::pair{10, 10}, std::pair{44, 28}, std::pair{2047, 2047}})
        EXPECT_EQ(At(cleared, x, y), 0xFF112233u) << x << ", " << y;
}

// A quad is drawn with the texels its texture held at the draw call, as
// OpenGL orders an upload after the draws before it: rewriting the texture
// or releasing it before the frame is presented changes nothing already
// drawn (the CPU device draws a frame's quads later, together).
TEST_P(GraphicsDeviceTest, TexturesRewrittenOrReleasedAfterADrawKeepWhatWasDrawn)
{
    const CPicture first = scene::Pattern(16, 8, 3);
    const CPicture second = scene::TextLike(16, 8, 4);
    auto compositing = device->CreateEffect(EffectId::kCompositing);
    ASSERT_TRUE(compositing);
    std::vector<Vertex> vertices(kVertexBufferSize);
    for (int i = 0; i < 3; ++i)
        SetQuadVertices(&vertices[4 + 4 * i], i * 20 - 0.5f, 4 - 0.5f, i * 20 + 16 - 0.5f, 12 - 0.5f, 0, 0, 1, 1,
                        0xFF000000u);
    ASSERT_TRUE(device->UploadVertices(vertices.data(), kVertexBufferSize));
    // Quad i drawn from texture i with a shadow, so that both the shadow
    // and the colour pass read it.
    auto drawQuads = [&](const std::vector<IDeviceTexture*>& textures, const std::function<void(int)>& between) {
        ASSERT_TRUE(device->SetRenderTarget(device->CompositionTarget()));
        device->Clear(0x40102030u);
        for (int i = 0; i < 3; ++i) {
            compositing->SetTechnique("AlphaMixShadowHV");
            const char* xs[5] = {"g_fXL2", "g_fXL1", "g_fX00", "g_fXR1", "g_fXR2"};
            const char* ys[5] = {"g_fYL2", "g_fYL1", "g_fY00", "g_fYR1", "g_fYR2"};
            for (int t = 0; t < 5; ++t) {
                compositing->SetFloat(xs[t], static_cast<float>(1 + t) * (-1.0f / 16));
                compositing->SetFloat(ys[t], static_cast<float>(1 + t) * (-1.0f / 8));
            }
            compositing->SetTexture("g_txSrcColor", textures[i]);
            const int passes = compositing->Begin();
            for (int p = 0; p < passes; ++p) {
                compositing->BeginPass(p);
                device->DrawQuad(4 + 4 * i);
                compositing->EndPass();
            }
            compositing->End();
            between(i);
        }
    };

    // Expected: three textures that never change.
    auto a = scene::Upload(*device, first);
    auto b = scene::Upload(*device, second);
    auto c = scene::Upload(*device, first);
    drawQuads({a.get(), b.get(), c.get()}, [](int) {});
    const CPicture expected = Composition();

    // One texture rewritten between its draw and the next quad's, one
    // released right after its draw.
    auto shared = scene::Upload(*device, first);
    auto released = scene::Upload(*device, first);
    drawQuads({shared.get(), shared.get(), released.get()}, [&](int i) {
        if (i == 0) {
            LockedRect locked;
            ASSERT_TRUE(device->LockTexture(shared.get(), &locked));
            for (int y = 0; y < second.height; ++y)
                std::memcpy(locked.bits + static_cast<size_t>(y) * locked.pitch, second.Row(y),
                            static_cast<size_t>(second.width) * 4);
            ASSERT_TRUE(device->UnlockTexture(shared.get()));
        } else if (i == 2) {
            released.reset();
        }
    });
    const CPicture actual = Composition();
    int x = 0, y = 0;
    EXPECT_EQ(scene::MaxDifference(expected, actual, 64, 16, &x, &y), 0) << "at " << x << ", " << y;
}

TEST_P(GraphicsDeviceTest, TexturesDestroyedOnAnotherThreadAreReleased)
{
    auto texture = device->CreateTexture(32, 32);
    device->ReleaseThread();
    std::thread([&] { texture.reset(); }).join();
    EXPECT_TRUE(device->CreateTexture(32, 32));
    device->ReleaseThread();
    std::thread([&] {
        auto t = device->CreateTexture(16, 16);
        EXPECT_TRUE(t);
        device->ReleaseThread();
    }).join();
}

TEST(EffectSourceTest, MalformedDirectivesAreRefusedWithTheLine)
{
    struct Case
    {
        const char* text;
        const char* error;
    } cases[] = {
        {"//!technique T\n//!pass p0 Missing\n", "line 2"},
        {"//!sampler s wrap diagonal linear\n", "line 1"},
        {"//!sampler s wrap wrap linear\n//!shader E s\n//!technique T\n//!pass p0 E blend one\n", "line 4"},
        {"//!pass p0 E\n", "line 1"},
        {"// nothing\n", "no technique"},
    };
    for (const Case& c : cases) {
        CEffectSource source;
        QString error;
        EXPECT_FALSE(source.Parse(c.text, &error)) << c.text;
        EXPECT_TRUE(error.contains(QLatin1String(c.error))) << error.toStdString();
    }
    for (EffectId id : {EffectId::kCompositing, EffectId::kYCbCrOutput, EffectId::kPlainOutput}) {
        CEffectSource source;
        QString error;
        EXPECT_TRUE(source.Load(id, &error)) << error.toStdString();
    }
}

}  // namespace
