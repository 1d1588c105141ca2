// The CPU device's heavy stages: composing object quads into the
// composition target and encoding a 1920 x 1080 canvas as Y'CbCr 4:2:2 with
// key, each beside a memcpy of the same memory in the same run; and a scaled
// quad with its drop shadow, as while an object stretches or zooms in.
#include "render/cpu/CpuDevice.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kQuadWidth = 1000;
constexpr int kQuadHeight = 120;
constexpr int kQuads = 16;

std::unique_ptr<IDeviceTexture> AlphaTexture(IGraphicsDevice& device, int width, int height, unsigned seed)
{
    auto texture = device.CreateTexture(width, height);
    LockedRect locked;
    device.LockTexture(texture.get(), &locked);
    unsigned state = seed;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(locked.bits + static_cast<size_t>(y) * locked.pitch);
        for (int x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            // Text-like coverage: clear, opaque and soft edges between.
            const uint32_t band = (x / 9 + y / 7) % 4;
            const uint32_t alpha = band == 0 ? 0 : band == 1 ? 255 : (state >> 24);
            row[x] = (alpha << 24) | (state & 0xFFFFFF);
        }
    }
    device.UnlockTexture(texture.get());
    return texture;
}

// Rendered text: glyph-sized blocks of one colour with soft edges on a
// clear background.
std::unique_ptr<IDeviceTexture> TextTexture(IGraphicsDevice& device, int width, int height, uint32_t colour)
{
    auto texture = device.CreateTexture(width, height);
    LockedRect locked;
    device.LockTexture(texture.get(), &locked);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(locked.bits + static_cast<size_t>(y) * locked.pitch);
        for (int x = 0; x < width; ++x) {
            const int gx = x % 24;
            const int gy = y % 40;
            const bool glyph = gx >= 3 && gx < 19 && gy >= 8 && gy < 32 && (x / 24 + y / 40) % 5 != 0;
            const bool edge = glyph && (gx == 3 || gx == 18 || gy == 8 || gy == 31);
            const uint32_t alpha = glyph ? (edge ? 128 : 255) : 0;
            row[x] = (alpha << 24) | colour;
        }
    }
    device.UnlockTexture(texture.get());
    return texture;
}

std::unique_ptr<IDeviceTexture> SolidTexture(IGraphicsDevice& device, uint32_t argb)
{
    auto texture = device.CreateTexture(8, 8);
    LockedRect locked;
    device.LockTexture(texture.get(), &locked);
    for (int y = 0; y < 8; ++y)
        std::fill_n(reinterpret_cast<uint32_t*>(locked.bits + y * locked.pitch), 8, argb);
    device.UnlockTexture(texture.get());
    return texture;
}

void SetQuad(Vertex* v, float left, float top, float right, float bottom, float uRight, float vBottom, uint32_t diffuse)
{
    const float xs[4] = {left, right, left, right};
    const float ys[4] = {top, top, bottom, bottom};
    const float us[4] = {0, uRight, 0, uRight};
    const float vs[4] = {0, 0, vBottom, vBottom};
    for (int i = 0; i < 4; ++i) {
        v[i].x = xs[i];
        v[i].y = ys[i];
        v[i].u = us[i];
        v[i].v = vs[i];
        v[i].diffuse = diffuse;
    }
}

// Argument: worker threads (0: one per core).
void BM_ComposeSixteenQuads(benchmark::State& state)
{
    CCpuDevice device(1920, 1080, 0, static_cast<int>(state.range(0)));
    std::vector<std::unique_ptr<IDeviceTexture>> textures;
    std::vector<Vertex> vertices(kVertexBufferSize);
    for (int i = 0; i < kQuads; ++i) {
        textures.push_back(AlphaTexture(device, kQuadWidth, kQuadHeight, i + 1));
        const float left = static_cast<float>(40 * (i % 8)) - 0.5f;
        const float top = static_cast<float>(60 * i) - 0.5f;
        SetQuad(&vertices[4 + 4 * i], left, top, left + kQuadWidth, top + kQuadHeight, 1, 1, 0xE0000000u);
    }
    device.UploadVertices(vertices.data(), kVertexBufferSize);
    auto effect = device.CreateEffect(EffectId::kCompositing);
    effect->SetTechnique("AlphaMix");
    for (auto _ : state) {
        device.SetRenderTarget(device.CompositionTarget());
        device.Clear(0);
        effect->Begin();
        for (int i = 0; i < kQuads; ++i) {
            effect->SetTexture("g_txSrcColor", textures[i].get());
            effect->BeginPass(0);
            device.DrawQuad(4 + 4 * i);
            effect->EndPass();
        }
        effect->End();
        // The quads are drawn when the frame is (off-screen, unpaced).
        device.Present();
    }
    state.SetItemsProcessed(state.iterations() * kQuads);
}
BENCHMARK(BM_ComposeSixteenQuads)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

// A lower third halfway through a stretch-in, as a stretch, zoom or wipe
// effect draws it: a 1000 x 120 text texture squeezed to 620 x 120, drop
// shadow of size 4, then the text over it. Argument: worker threads.
void BM_ScaledShadowedQuad(benchmark::State& state)
{
    CCpuDevice device(1920, 1080, 0, static_cast<int>(state.range(0)));
    auto texture = TextTexture(device, kQuadWidth, kQuadHeight, 0xFFFFFF);
    std::vector<Vertex> vertices(kVertexBufferSize);
    SetQuad(&vertices[4], 659.5f, 759.5f, 659.5f + 620, 759.5f + kQuadHeight, 1, 1, 0xFF000000u);
    device.UploadVertices(vertices.data(), kVertexBufferSize);
    auto effect = device.CreateEffect(EffectId::kCompositing);
    static const char* const kX[5] = {"g_fXL2", "g_fXL1", "g_fX00", "g_fXR1", "g_fXR2"};
    static const char* const kY[5] = {"g_fYL2", "g_fYL1", "g_fY00", "g_fYR1", "g_fYR2"};
    constexpr int kShadowSize = 4;
    for (auto _ : state) {
        device.SetRenderTarget(device.CompositionTarget());
        device.Clear(0);
        effect->SetTechnique("AlphaMixShadowHV");
        for (int t = 0; t < 5; ++t) {
            effect->SetFloat(kX[t], (kShadowSize - 3 + t) * (-1.0f / kQuadWidth));
            effect->SetFloat(kY[t], (kShadowSize - 3 + t) * (-1.0f / kQuadHeight));
        }
        effect->SetTexture("g_txSrcColor", texture.get());
        const int passes = effect->Begin();
        for (int p = 0; p < passes; ++p) {
            effect->BeginPass(p);
            device.DrawQuad(4);
            effect->EndPass();
        }
        effect->End();
        device.Present();
    }
}
BENCHMARK(BM_ScaledShadowedQuad)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MemcpyCompositionTarget(benchmark::State& state)
{
    const size_t bytes = static_cast<size_t>(kCompositionTargetSize) * kCompositionTargetSize * 4;
    std::vector<uint8_t> from(bytes, 1), to(bytes, 2);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_MemcpyCompositionTarget)->Unit(benchmark::kMillisecond)->UseRealTime();

// Composes quads (texture, left, top, right, bottom in canvas pixels) into
// the composition target of a fresh 1920 x 1080 device.
struct CanvasQuad
{
    IDeviceTexture* texture;
    float left, top, right, bottom;
};

void ComposeCanvas(CCpuDevice& device, const std::vector<CanvasQuad>& quads)
{
    std::vector<Vertex> vertices(kVertexBufferSize);
    SetQuad(&vertices[0], 0, 0, 2047, 2047, 1, 1, 0);  // the output quad
    for (size_t i = 0; i < quads.size(); ++i)
        SetQuad(&vertices[4 + 4 * i], quads[i].left - 0.5f, quads[i].top - 0.5f, quads[i].right - 0.5f,
                quads[i].bottom - 0.5f, 1, 1, 0xFF000000u);
    device.UploadVertices(vertices.data(), kVertexBufferSize);
    auto compositing = device.CreateEffect(EffectId::kCompositing);
    device.SetRenderTarget(device.CompositionTarget());
    device.Clear(0);
    compositing->SetTechnique("AlphaMix");
    compositing->Begin();
    for (size_t i = 0; i < quads.size(); ++i) {
        compositing->SetTexture("g_txSrcColor", quads[i].texture);
        compositing->BeginPass(0);
        device.DrawQuad(static_cast<int>(4 + 4 * i));
        compositing->EndPass();
    }
    compositing->End();
}

void PackLoop(benchmark::State& state, CCpuDevice& device)
{
    auto output = device.CreateEffect(EffectId::kYCbCrOutput);
    output->SetTechnique(state.range(0) ? "RGBA2YCbCrA_Full" : "RGBA2YCbCrA_Limited");
    output->SetFloat("g_TextureWidth", 2047.0f);
    output->SetTexture("g_txSrcColor", device.CompositionTarget());
    device.SetRenderTarget(nullptr);
    for (auto _ : state) {
        output->Begin();
        output->BeginPass(0);
        device.DrawQuad(0);
        output->EndPass();
        output->End();
    }
    state.SetItemsProcessed(state.iterations() * 1920 * 1080);
}

// The worst case: a different colour and alpha in every pixel of the canvas.
// Arguments: 1 for "Full", 0 for "Limited"; worker threads (0: one per core).
void BM_PackYCbCr1080Noise(benchmark::State& state)
{
    CCpuDevice device(1920, 1080, 0, static_cast<int>(state.range(1)));
    auto canvas = AlphaTexture(device, 1920, 1080, 99);
    ComposeCanvas(device, {{canvas.get(), 0, 0, 1920, 1080}});
    PackLoop(state, device);
}
BENCHMARK(BM_PackYCbCr1080Noise)->Args({0, 1})->Args({1, 1})->Args({0, 0})->Args({1, 0})->Unit(benchmark::kMillisecond)->UseRealTime();

// A page as it goes on air: a translucent lower-third bar with two lines of
// text, a logo, a clock; the rest of the canvas clear.
void BM_PackYCbCr1080Page(benchmark::State& state)
{
    CCpuDevice device(1920, 1080, 0, static_cast<int>(state.range(1)));
    auto bar = SolidTexture(device, 0xB0102040u);
    auto title = TextTexture(device, 1500, 80, 0xFFFFFF);
    auto subtitle = TextTexture(device, 1200, 60, 0xE0E040);
    auto logo = AlphaTexture(device, 240, 120, 7);
    auto clock = TextTexture(device, 240, 60, 0xFFFFFF);
    ComposeCanvas(device, {{bar.get(), 0, 820, 1920, 1020},
                           {title.get(), 160, 840, 1660, 920},
                           {subtitle.get(), 160, 940, 1360, 1000},
                           {logo.get(), 1620, 60, 1860, 180},
                           {clock.get(), 100, 60, 340, 120}});
    PackLoop(state, device);
}
BENCHMARK(BM_PackYCbCr1080Page)->Args({0, 1})->Args({1, 1})->Args({0, 0})->Args({1, 0})->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MemcpyCanvas1080(benchmark::State& state)
{
    const size_t bytes = static_cast<size_t>(1920) * 1080 * 4;
    std::vector<uint8_t> from(bytes, 1), to(bytes, 2);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_MemcpyCanvas1080)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
