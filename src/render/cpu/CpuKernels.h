#pragma once

#include "render/device/EffectSource.h"

#include <cstdint>
#include <vector>

// Pixel arithmetic of the CPU device, one row span at a time. Texels and
// pixels are 32-bit B, G, R, A (blue in the low byte). Every result is
// rounded to 8 bits the way a GPU writing an 8-bit target does, so that both
// devices agree within 1.
namespace cpukernels {

struct TextureView
{
    const uint32_t* texels = nullptr;
    int width = 0;
    int height = 0;
};

struct SamplerView
{
    AddressMode addressU = AddressMode::kClamp;
    AddressMode addressV = AddressMode::kClamp;
    FilterMode filter = FilterMode::kPoint;
};

// x / 255 rounded to nearest, exact for 0 <= x <= 65535.
inline uint32_t Div255(uint32_t x)
{
    x += 128;
    return (x + (x >> 8)) >> 8;
}

// Wraps or clamps a texel index into 0..size-1.
inline int Address(int i, int size, AddressMode mode)
{
    if (mode == AddressMode::kClamp)
        return i < 0 ? 0 : (i >= size ? size - 1 : i);
    i %= size;
    return i < 0 ? i + size : i;
}

// Samples count texels along a row: pixel i reads texture coordinate
// (u0 + i * du, v). Linear filtering uses 8-bit sub-texel weights like GPU
// samplers; point sampling takes the texel the coordinate falls in.
void SampleSpan(const TextureView& texture, const SamplerView& sampler, double u0, double du, double v,
                int count, uint32_t* out);

// The columns a linear-filtered span reads, worked out once for a quad:
// the texel-space arithmetic of SampleSpan moved out of the row loop. Pixel
// i blends columns left[i] and right[i] with an 8-bit weight of the right.
struct ColumnTaps
{
    std::vector<int> left;
    std::vector<int> right;
    std::vector<uint32_t> weight;
    // The weight once per channel (four per pixel), for the vector loops.
    std::vector<uint16_t> channelWeight;
};
void PrepareColumns(int width, AddressMode mode, double u0, double du, int count, ColumnTaps* out);

// The two rows a linear-filtered row of samples reads at v, and the weight
// of the lower one.
struct RowTaps
{
    const uint32_t* top = nullptr;
    const uint32_t* bottom = nullptr;
    uint32_t weight = 0;
};
RowTaps PrepareRow(const TextureView& texture, AddressMode mode, double v);

// SampleSpan with linear filtering, from prepared columns and rows: the
// same samples.
void SampleColumnsSpan(const RowTaps& row, const ColumnTaps& columns, int count, uint32_t* out);
// Adds the alpha of those samples to sums: a shadow tap on a scaled quad.
void AddSampledAlphaSpan(const RowTaps& row, const ColumnTaps& columns, int count, uint32_t* sums);

// AlphaMixPS: straight texel in, (rgb * a, a) out with a = texel alpha x
// vertex alpha (0-255).
void AlphaMixSpan(const uint32_t* samples, int count, uint32_t vertexAlpha, uint32_t* out);

// Blends source pixels into destination pixels: dst = src * F(src) + dst *
// G(src), factors one, source alpha or inverse source alpha, per channel.
void BlendSpan(const uint32_t* source, uint32_t* destination, int count, BlendFactor sourceFactor,
               BlendFactor destinationFactor);

// AlphaMix blended "over" the destination, straight from texels that map to
// pixels one to one (the common case): texels[i] goes to destination[i].
void AlphaMixOverSpan(const uint32_t* texels, int count, uint32_t vertexAlpha, uint32_t* destination);

// The same for a texture of one colour: texel stands for every texel.
void ColourOverSpan(uint32_t texel, int count, uint32_t vertexAlpha, uint32_t* destination);

// Darkens the destination by a shadow alpha per pixel: coverage sums of 13
// texel alphas (0..13 x 255), scaled by the vertex alpha.
// Adds the alpha of count texels to sums: one tap of the shadow's diamond.
void AddAlphaSpan(const uint32_t* texels, int count, uint32_t* sums);
void ShadowOverSpan(const uint32_t* coverageSums, int count, uint32_t vertexAlpha, uint32_t* destination);
// Both at once for texels that map to pixels one to one: taps[k] is the
// texel tap k reads for pixel 0, and tap k reads taps[k][i] for pixel i.
// Pixels whose taps are all clear are left alone (their shadow is none).
inline constexpr int kShadowTaps = 13;
void ShadowTapsOverSpan(const uint32_t* const* taps, int count, uint32_t vertexAlpha, uint32_t* destination);

// The output encodings. Premultiplied pixels in; per pixel the sample of its
// own texel and of the neighbour in its chroma pair, and whether its column is
// even (Cb) or odd (Cr). Out: Y' in red, chroma in green, key in blue, alpha
// = the key.
enum class YCbCrRange { kFull, kLimited };
// Any mapping: per pixel the index of its own texel and of the other texel
// of its chroma pair (into texels), and whether its column is even.
void PackYCbCrSpan(const uint32_t* texels, const int* own, const int* neighbour, const uint8_t* evenColumn,
                   int count, YCbCrRange range, uint32_t* out);
// Texels one to one, in pairs: pixels 2k (even, Cb) and 2k + 1 (odd, Cr)
// read texels 2k and 2k + 1.
void PackYCbCrPairsSpan(const uint32_t* texels, int pairs, YCbCrRange range, uint32_t* out);

// The columns [first, end) of a row of count texels that hold every texel
// with alpha; first >= end when none has any.
void FindCoveredColumns(const uint32_t* texels, int count, int* first, int* end);

// AlphaBlendPS: premultiplied in, straight colour with its alpha out.
void UnfoldAlphaSpan(const uint32_t* samples, int count, uint32_t* out);

}  // namespace cpukernels
