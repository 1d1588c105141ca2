#include "render/cpu/CpuKernels.h"

#include <algorithm>
#include <cmath>
#include <cstring>

// The reference device's pixels: built without errno, traps or signed
// zeros, but never with reciprocal or finite-only maths, which let the
// compiler change a quotient's rounding or drop a clamp, so that output
// bytes could move from one compiler version to the next.

// The hot loops are built twice, for AVX2 and for the baseline, and the
// loader picks the one the processor runs.
#if defined(__x86_64__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__) && !defined(__clang__)
#define TAVREL_SIMD_CLONES __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#else
#define TAVREL_SIMD_CLONES
#endif

namespace cpukernels {

namespace {

inline uint32_t Channel(uint32_t pixel, int shift) { return (pixel >> shift) & 0xFF; }

inline uint32_t Pack(uint32_t b, uint32_t g, uint32_t r, uint32_t a)
{
    return b | (g << 8) | (r << 16) | (a << 24);
}

// Splits a texel-space coordinate into the first texel and an 8-bit weight
// of the second.
inline void SplitCoordinate(double s, int* index, uint32_t* weight)
{
    const double floorS = std::floor(s);
    int i = static_cast<int>(floorS);
    int w = static_cast<int>(std::lround((s - floorS) * 256.0));
    if (w == 256) {
        ++i;
        w = 0;
    }
    *index = i;
    *weight = static_cast<uint32_t>(w);
}

// One channel of a bilinear sample: each row rounded, then between them.
inline uint32_t LerpChannel(uint32_t c00, uint32_t c10, uint32_t c01, uint32_t c11, uint32_t fx, uint32_t fy,
                            int shift)
{
    const uint32_t top = (Channel(c00, shift) * (256 - fx) + Channel(c10, shift) * fx + 128) >> 8;
    const uint32_t bottom = (Channel(c01, shift) * (256 - fx) + Channel(c11, shift) * fx + 128) >> 8;
    return (top * (256 - fy) + bottom * fy + 128) >> 8;
}

inline uint32_t Lerp4(uint32_t c00, uint32_t c10, uint32_t c01, uint32_t c11, uint32_t fx, uint32_t fy)
{
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8)
        result |= LerpChannel(c00, c10, c01, c11, fx, fy, shift) << shift;
    return result;
}

inline float Clamp(float v, float low, float high) { return v < low ? low : (v > high ? high : v); }

// Through a signed conversion, which vector units have.
inline uint32_t ToUnsigned(float v) { return static_cast<uint32_t>(static_cast<int32_t>(v)); }
inline uint32_t ToByte(float v) { return ToUnsigned(v * 255.0f + 0.5f); }

}  // namespace

void SampleSpan(const TextureView& texture, const SamplerView& sampler, double u0, double du, double v,
                int count, uint32_t* out)
{
    const int w = texture.width;
    const int h = texture.height;
    if (sampler.filter == FilterMode::kPoint) {
        const int row = Address(static_cast<int>(std::floor(v * h)), h, sampler.addressV);
        const uint32_t* texels = texture.texels + static_cast<size_t>(row) * w;
        for (int i = 0; i < count; ++i) {
            const int column = Address(static_cast<int>(std::floor((u0 + i * du) * w)), w, sampler.addressU);
            out[i] = texels[column];
        }
        return;
    }
    int row0 = 0;
    uint32_t fy = 0;
    SplitCoordinate(v * h - 0.5, &row0, &fy);
    const uint32_t* top = texture.texels + static_cast<size_t>(Address(row0, h, sampler.addressV)) * w;
    const uint32_t* bottom = texture.texels + static_cast<size_t>(Address(row0 + 1, h, sampler.addressV)) * w;
    for (int i = 0; i < count; ++i) {
        int column0 = 0;
        uint32_t fx = 0;
        SplitCoordinate((u0 + i * du) * w - 0.5, &column0, &fx);
        const int c0 = Address(column0, w, sampler.addressU);
        if (fx == 0 && fy == 0) {
            out[i] = top[c0];
            continue;
        }
        const int c1 = Address(column0 + 1, w, sampler.addressU);
        out[i] = Lerp4(top[c0], top[c1], bottom[c0], bottom[c1], fx, fy);
    }
}

void PrepareColumns(int width, AddressMode mode, double u0, double du, int count, ColumnTaps* out)
{
    out->left.resize(count);
    out->right.resize(count);
    out->weight.resize(count);
    out->channelWeight.resize(static_cast<size_t>(count) * 4);
    for (int i = 0; i < count; ++i) {
        int column0 = 0;
        uint32_t fx = 0;
        SplitCoordinate((u0 + i * du) * width - 0.5, &column0, &fx);
        out->left[i] = Address(column0, width, mode);
        out->right[i] = Address(column0 + 1, width, mode);
        out->weight[i] = fx;
        for (int c = 0; c < 4; ++c)
            out->channelWeight[4 * static_cast<size_t>(i) + c] = static_cast<uint16_t>(fx);
    }
}

RowTaps PrepareRow(const TextureView& texture, AddressMode mode, double v)
{
    int row0 = 0;
    uint32_t fy = 0;
    SplitCoordinate(v * texture.height - 0.5, &row0, &fy);
    const auto rowStart = [&](int row) {
        return texture.texels + static_cast<size_t>(Address(row, texture.height, mode)) * texture.width;
    };
    return {rowStart(row0), rowStart(row0 + 1), fy};
}

// The vector helpers below are inlined into each clone, so no call crosses
// the ABI the warning is about.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"

namespace {

// Eight pixels of four channels in 16-bit lanes: a bilinear sample's
// products stay below 65536 (255 x 256 + 128), so the lanes hold them
// exactly and round like the per-pixel arithmetic.
constexpr int kSamplePixels = 8;
using ChannelBytes = uint8_t __attribute__((vector_size(4 * kSamplePixels)));
using ChannelWords = uint16_t __attribute__((vector_size(8 * kSamplePixels)));
// Sixteen alphas in 32-bit lanes.
constexpr int kAlphaPixels = 16;
using AlphaLanes = uint32_t __attribute__((vector_size(4 * kAlphaPixels)));

__attribute__((always_inline)) inline ChannelWords GatherChannels(const uint32_t* row, const int* columns)
{
    uint32_t texels[kSamplePixels];
    for (int k = 0; k < kSamplePixels; ++k)
        texels[k] = row[columns[k]];
    ChannelBytes bytes;
    std::memcpy(&bytes, texels, sizeof bytes);
    return __builtin_convertvector(bytes, ChannelWords);
}

__attribute__((always_inline)) inline AlphaLanes GatherAlpha(const uint32_t* row, const int* columns)
{
    AlphaLanes alpha;
    for (int k = 0; k < kAlphaPixels; ++k)
        alpha[k] = row[columns[k]];
    return alpha >> 24;
}

}  // namespace

TAVREL_SIMD_CLONES
void SampleColumnsSpan(const RowTaps& row, const ColumnTaps& columns, int count, uint32_t* out)
{
    const RowTaps r = row;  // a local copy: the stores below cannot alias it
    const int* left = columns.left.data();
    const int* right = columns.right.data();
    const uint32_t* weight = columns.weight.data();
    const uint16_t* channelWeight = columns.channelWeight.data();
    const ChannelWords fy = static_cast<uint16_t>(r.weight) - ChannelWords{};
    const ChannelWords gy = static_cast<uint16_t>(256 - r.weight) - ChannelWords{};
    int i = 0;
    for (; i + kSamplePixels <= count; i += kSamplePixels) {
        ChannelWords fx;
        std::memcpy(&fx, channelWeight + 4 * static_cast<size_t>(i), sizeof fx);
        const ChannelWords gx = 256 - fx;
        const ChannelWords top = (GatherChannels(r.top, left + i) * gx + GatherChannels(r.top, right + i) * fx + 128) >> 8;
        const ChannelWords bottom =
            (GatherChannels(r.bottom, left + i) * gx + GatherChannels(r.bottom, right + i) * fx + 128) >> 8;
        const ChannelBytes sample = __builtin_convertvector((top * gy + bottom * fy + 128) >> 8, ChannelBytes);
        std::memcpy(out + i, &sample, sizeof sample);
    }
    for (; i < count; ++i)
        out[i] = Lerp4(r.top[left[i]], r.top[right[i]], r.bottom[left[i]], r.bottom[right[i]], weight[i], r.weight);
}

TAVREL_SIMD_CLONES
void AddSampledAlphaSpan(const RowTaps& row, const ColumnTaps& columns, int count, uint32_t* sums)
{
    const RowTaps r = row;  // a local copy: the stores below cannot alias it
    const int* left = columns.left.data();
    const int* right = columns.right.data();
    const uint32_t* weight = columns.weight.data();
    int i = 0;
    for (; i + kAlphaPixels <= count; i += kAlphaPixels) {
        AlphaLanes fx;
        std::memcpy(&fx, weight + i, sizeof fx);
        const AlphaLanes gx = 256 - fx;
        const AlphaLanes top = (GatherAlpha(r.top, left + i) * gx + GatherAlpha(r.top, right + i) * fx + 128) >> 8;
        const AlphaLanes bottom =
            (GatherAlpha(r.bottom, left + i) * gx + GatherAlpha(r.bottom, right + i) * fx + 128) >> 8;
        AlphaLanes sum;
        std::memcpy(&sum, sums + i, sizeof sum);
        sum += (top * (256 - r.weight) + bottom * r.weight + 128) >> 8;
        std::memcpy(sums + i, &sum, sizeof sum);
    }
    for (; i < count; ++i)
        sums[i] += LerpChannel(r.top[left[i]], r.top[right[i]], r.bottom[left[i]], r.bottom[right[i]], weight[i],
                               r.weight, 24);
}

#pragma GCC diagnostic pop

namespace {

// AlphaMixPS for one texel: (rgb x a, a), a = texel alpha x vertex alpha,
// each rounded once from the exact product.
__attribute__((always_inline)) inline uint32_t AlphaMixPixel(uint32_t t, uint32_t vertexAlpha)
{
    const uint32_t a = (t >> 24) * vertexAlpha;
    const float k = static_cast<float>(a) * (1.0f / 65025.0f);
    return Pack(ToUnsigned(Channel(t, 0) * k + 0.5f), ToUnsigned(Channel(t, 8) * k + 0.5f),
                ToUnsigned(Channel(t, 16) * k + 0.5f), Div255(a));
}

}  // namespace

TAVREL_SIMD_CLONES
void AlphaMixSpan(const uint32_t* samples, int count, uint32_t vertexAlpha, uint32_t* out)
{
    for (int i = 0; i < count; ++i)
        out[i] = AlphaMixPixel(samples[i], vertexAlpha);
}

void BlendSpan(const uint32_t* source, uint32_t* destination, int count, BlendFactor sourceFactor,
               BlendFactor destinationFactor)
{
    auto factor = [](BlendFactor f, uint32_t sourceAlpha) -> uint32_t {
        switch (f) {
        case BlendFactor::kOne:
            return 255;
        case BlendFactor::kSrcAlpha:
            return sourceAlpha;
        case BlendFactor::kInvSrcAlpha:
            return 255 - sourceAlpha;
        }
        return 255;
    };
    for (int i = 0; i < count; ++i) {
        const uint32_t s = source[i];
        const uint32_t d = destination[i];
        const uint32_t fs = factor(sourceFactor, s >> 24);
        const uint32_t fd = factor(destinationFactor, s >> 24);
        uint32_t result = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const uint32_t value = (Channel(s, shift) * fs + Channel(d, shift) * fd + 127) / 255;
            result |= std::min<uint32_t>(value, 255) << shift;
        }
        destination[i] = result;
    }
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"

namespace {

// Each pixel's alpha word in all four of its lanes.
__attribute__((always_inline)) inline ChannelWords AlphaOfEach(ChannelWords v)
{
#if defined(__clang__)
    return __builtin_shufflevector(v, v, 3, 3, 3, 3, 7, 7, 7, 7, 11, 11, 11, 11, 15, 15, 15, 15, 19, 19, 19, 19, 23,
                                   23, 23, 23, 27, 27, 27, 27, 31, 31, 31, 31);
#else
    return __builtin_shuffle(v, ChannelWords{3, 3, 3, 3, 7, 7, 7, 7, 11, 11, 11, 11, 15, 15, 15, 15, 19, 19, 19, 19,
                                             23, 23, 23, 23, 27, 27, 27, 27, 31, 31, 31, 31});
#endif
}

__attribute__((always_inline)) inline ChannelWords Div255Words(ChannelWords x)
{
    x += 128;
    return (x + (x >> 8)) >> 8;
}

// AlphaMix "over" of eight texels at full vertex alpha, all channels at
// once in 16-bit lanes: the premultiplied channel is then Div255(c x a),
// which is what the float arithmetic of AlphaMixPixel gives for every
// channel and alpha (checked for all of them), and no product passes 65025.
__attribute__((always_inline)) inline void MixOverEight(const uint32_t* texels, uint32_t* destination)
{
    const ChannelWords alphaLane = {0, 0, 0, 0xFFFF, 0, 0, 0, 0xFFFF, 0, 0, 0, 0xFFFF, 0, 0, 0, 0xFFFF,
                                    0, 0, 0, 0xFFFF, 0, 0, 0, 0xFFFF, 0, 0, 0, 0xFFFF, 0, 0, 0, 0xFFFF};
    ChannelBytes bytes;
    std::memcpy(&bytes, texels, sizeof bytes);
    const ChannelWords t = __builtin_convertvector(bytes, ChannelWords);
    // Colour times the texel's alpha, alpha times 255.
    const ChannelWords factor = (AlphaOfEach(t) & ~alphaLane) | (alphaLane & 255);
    const ChannelWords source = Div255Words(t * factor);
    const ChannelWords inverse = 255 - AlphaOfEach(source);
    std::memcpy(&bytes, destination, sizeof bytes);
    // No channel passes 255, so the clamp of the per-pixel arithmetic has
    // nothing to do: a colour is at most its alpha a (Div255(c x a) <=
    // Div255(255 x a) = a), and the destination adds at most 255 - a.
    const ChannelWords out = source + Div255Words(__builtin_convertvector(bytes, ChannelWords) * inverse);
    bytes = __builtin_convertvector(out, ChannelBytes);
    std::memcpy(destination, &bytes, sizeof bytes);
}

}  // namespace

TAVREL_SIMD_CLONES
void AlphaMixOverSpan(const uint32_t* texels, int count, uint32_t vertexAlpha, uint32_t* destination)
{
    // Branch-free within blocks of 16 so that it vectorises: clear texels
    // leave the destination as it is and opaque ones replace it all the
    // same. Text is mostly clear, so blocks without a single set texel are
    // passed over whole.
    constexpr int kBlock = 16;
    int start = 0;
    if (vertexAlpha == 255) {
        for (; start + kBlock <= count; start += kBlock) {
            uint32_t any = 0;
            for (int i = 0; i < kBlock; ++i)
                any |= texels[start + i];
            if (any == 0)
                continue;
            MixOverEight(texels + start, destination + start);
            MixOverEight(texels + start + kSamplePixels, destination + start + kSamplePixels);
        }
    }
    for (; start < count; start += kBlock) {
        const int n = std::min(kBlock, count - start);
        const uint32_t* from = texels + start;
        uint32_t* to = destination + start;
        uint32_t any = 0;
        for (int i = 0; i < n; ++i)
            any |= from[i];
        if (any == 0)
            continue;
        for (int i = 0; i < n; ++i) {
            const uint32_t source = AlphaMixPixel(from[i], vertexAlpha);
            const uint32_t inverse = 255 - (source >> 24);
            const uint32_t d = to[i];
            auto over = [&](int shift) {
                return std::min<uint32_t>(Channel(source, shift) + Div255(Channel(d, shift) * inverse), 255);
            };
            to[i] = Pack(over(0), over(8), over(16), over(24));
        }
    }
}

#pragma GCC diagnostic pop

TAVREL_SIMD_CLONES
void ColourOverSpan(uint32_t texel, int count, uint32_t vertexAlpha, uint32_t* destination)
{
    // Byte by byte in blocks of 16 pixels, so that it vectorises on 16-bit
    // lanes. Premultiplied colour never exceeds its alpha, so no channel of
    // source + destination x (1 - a) passes 255; the rounding is Div255's.
    const uint32_t source = AlphaMixPixel(texel, vertexAlpha);
    const uint16_t inverse = static_cast<uint16_t>(255 - (source >> 24));
    constexpr int kBlock = 64;  // bytes: 16 pixels
    uint8_t pattern[kBlock];
    for (int k = 0; k < kBlock; ++k)
        pattern[k] = static_cast<uint8_t>(source >> (8 * (k & 3)));
    uint8_t* bytes = reinterpret_cast<uint8_t*>(destination);
    const int total = count * 4;
    const auto blend = [inverse](uint8_t d, uint8_t s) {
        const uint16_t x = static_cast<uint16_t>(d * inverse + 128);
        return static_cast<uint8_t>(s + ((x + (x >> 8)) >> 8));
    };
    int j = 0;
    for (; j + kBlock <= total; j += kBlock)
        for (int k = 0; k < kBlock; ++k)
            bytes[j + k] = blend(bytes[j + k], pattern[k]);
    for (; j < total; ++j)
        bytes[j] = blend(bytes[j], pattern[j & 3]);
}

TAVREL_SIMD_CLONES
void AddAlphaSpan(const uint32_t* texels, int count, uint32_t* sums)
{
    for (int i = 0; i < count; ++i)
        sums[i] += texels[i] >> 24;
}

namespace {

// Black of the mean coverage of the 13 taps, scaled by the vertex alpha,
// "over" the destination pixel.
__attribute__((always_inline)) inline uint32_t ShadowOverPixel(uint32_t coverageSum, uint32_t vertexAlpha, uint32_t d)
{
    const uint32_t shadow = (coverageSum * vertexAlpha * 2 + 13 * 255) / (2 * 13 * 255);
    const uint32_t inverse = 255 - shadow;
    const uint32_t alpha = std::min<uint32_t>(shadow + Div255(Channel(d, 24) * inverse), 255);
    return Pack(Div255(Channel(d, 0) * inverse), Div255(Channel(d, 8) * inverse), Div255(Channel(d, 16) * inverse),
                alpha);
}

}  // namespace

TAVREL_SIMD_CLONES
void ShadowOverSpan(const uint32_t* coverageSums, int count, uint32_t vertexAlpha, uint32_t* destination)
{
    for (int i = 0; i < count; ++i)
        destination[i] = ShadowOverPixel(coverageSums[i], vertexAlpha, destination[i]);
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"

TAVREL_SIMD_CLONES
void ShadowTapsOverSpan(const uint32_t* const* taps, int count, uint32_t vertexAlpha, uint32_t* destination)
{
    const uint32_t* tap[kShadowTaps];
    std::copy(taps, taps + kShadowTaps, tap);
    // Sixteen pixels at a time in vectors, summed in registers (written out
    // as vectors: the compiler's own vectoriser keeps the sums in scalar
    // registers here). Text is mostly clear, so blocks without coverage are
    // passed over whole.
    int start = 0;
    for (; start + kAlphaPixels <= count; start += kAlphaPixels) {
        AlphaLanes sum{};
        for (int k = 0; k < kShadowTaps; ++k) {
            AlphaLanes t;
            std::memcpy(&t, tap[k] + start, sizeof t);
            sum += t >> 24;
        }
        uint64_t halves[kAlphaPixels / 2];
        std::memcpy(halves, &sum, sizeof halves);
        uint64_t any = 0;
        for (const uint64_t h : halves)
            any |= h;
        if (any == 0)
            continue;
        AlphaLanes d;
        std::memcpy(&d, destination + start, sizeof d);
        const AlphaLanes shadow = (sum * (vertexAlpha * 2) + 13 * 255) / (2 * 13 * 255);
        const AlphaLanes inverse = 255 - shadow;
        auto div255 = [](AlphaLanes x) {
            x += 128;
            return (x + (x >> 8)) >> 8;
        };
        AlphaLanes alpha = shadow + div255((d >> 24) * inverse);
        const AlphaLanes opaque = 255 - AlphaLanes{};
        alpha = alpha < opaque ? alpha : opaque;
        const AlphaLanes out = div255((d & 0xFF) * inverse) | (div255(((d >> 8) & 0xFF) * inverse) << 8) |
                               (div255(((d >> 16) & 0xFF) * inverse) << 16) | (alpha << 24);
        std::memcpy(destination + start, &out, sizeof out);
    }
    for (int i = start; i < count; ++i) {
        uint32_t sum = 0;
        for (int k = 0; k < kShadowTaps; ++k)
            sum += tap[k][i] >> 24;
        if (sum != 0)
            destination[i] = ShadowOverPixel(sum, vertexAlpha, destination[i]);
    }
}

#pragma GCC diagnostic pop

namespace {

struct YCbCrA
{
    float y, cb, cr, a;  // a: 0..1
};

// A premultiplied texel unfolded to straight colour and converted.
__attribute__((always_inline)) inline YCbCrA ToYCbCr(uint32_t t)
{
    const int alpha = static_cast<int>(t >> 24);
    // A colour without alpha stays as it is.
    const float scale = 1.0f / static_cast<float>(alpha == 0 ? 255 : alpha);
    const float b = std::min(static_cast<float>(static_cast<int>(t & 0xFF)) * scale, 1.0f);
    const float g = std::min(static_cast<float>(static_cast<int>((t >> 8) & 0xFF)) * scale, 1.0f);
    const float r = std::min(static_cast<float>(static_cast<int>((t >> 16) & 0xFF)) * scale, 1.0f);
    return {0.183f * r + 0.614f * g + 0.062f * b, -0.101f * r - 0.338f * g + 0.439f * b,
            0.439f * r - 0.399f * g - 0.040f * b, static_cast<float>(alpha) * (1.0f / 255.0f)};
}

constexpr float kHalf = 0.5f / 256.0f;
constexpr float k16 = 16.0f / 256.0f;
constexpr float k235 = 235.0f / 256.0f;

// One output pixel from its Y', the chroma sum of its pair and its alpha.
template <YCbCrRange range>
__attribute__((always_inline)) inline uint32_t EncodePixel(float y, float chromaSum, float a)
{
    float red, green, blue;
    if (range == YCbCrRange::kLimited) {
        red = Clamp(y + kHalf, 0.0f, 1.0f);
        green = Clamp(chromaSum * 0.5f + kHalf + 0.5f, 0.0f, 1.0f);
        blue = Clamp(a + kHalf, 0.0f, 1.0f);
    } else {
        red = Clamp(y * 0.85546875f + k16 + kHalf, k16, k235);
        green = Clamp(chromaSum * 0.427734375f + kHalf + 0.5f, k16, k235);
        blue = Clamp(a * 0.85546875f + k16 + kHalf, k16, k235);
    }
    return Pack(ToByte(blue), ToByte(green), ToByte(red), ToByte(a));
}

// The helpers below return vectors wider than the baseline's registers;
// they are inlined into each clone, so no call crosses the ABI the warning
// is about. (It comes at the end of the file, hence no pop.)
#pragma GCC diagnostic ignored "-Wpsabi"

// Sixteen pixels at a time, eight chroma pairs, in vectors of the compiler's
// generic kind so that every clone gets its own instructions. All in float,
// scaled to 0..255 so that the encoding is one multiply-add per channel.
constexpr int kLanes = 16;
using U32s = uint32_t __attribute__((vector_size(4 * kLanes)));
using I32s = int32_t __attribute__((vector_size(4 * kLanes)));
using F32s = float __attribute__((vector_size(4 * kLanes)));

__attribute__((always_inline)) inline F32s Splat(float v) { return v - F32s{}; }
__attribute__((always_inline)) inline I32s SplatI(int32_t v) { return v - I32s{}; }
// Lanes alternating between the values for even and odd columns.
__attribute__((always_inline)) inline F32s EvenOdd(float even, float odd)
{
    F32s v;
    for (int i = 0; i < kLanes; i += 2) {
        v[i] = even;
        v[i + 1] = odd;
    }
    return v;
}
__attribute__((always_inline)) inline F32s Min(F32s a, F32s b) { return a < b ? a : b; }

// The rows of the output shader's matrix.
constexpr float kYR = 0.183f, kYG = 0.614f, kYB = 0.062f;
constexpr float kCbR = -0.101f, kCbG = -0.338f, kCbB = 0.439f;
constexpr float kCrR = 0.439f, kCrG = -0.399f, kCrB = -0.040f;

// How a range scales Y' (and the key) and the chroma sum into bytes, and
// where it puts them: (v + 0.5 / 256) x 255 + 0.5, truncated, is the
// shader's rounding; "Full" squeezes into 16..235 of 256.
template <YCbCrRange range>
struct Encoding
{
    static constexpr bool kSqueezed = range == YCbCrRange::kFull;
    static constexpr float kRound = 0.5f * 255.0f / 256.0f + 0.5f;
    static constexpr float kLuma = kSqueezed ? 0.85546875f : 1.0f;
    static constexpr float kChroma = kSqueezed ? 0.427734375f : 0.5f;
    static constexpr float kLumaOffset = (kSqueezed ? 16.0f * 255.0f / 256.0f : 0.0f) + kRound;
    // The chroma sum is split between the two pixels' terms.
    static constexpr float kChromaOffset = (127.5f + kRound) * 0.5f;
};

template <YCbCrRange range>
__attribute__((always_inline)) inline void PackVector(const uint32_t* texels, uint32_t* out)
{
    using E = Encoding<range>;
    U32s t;
    std::memcpy(&t, texels, sizeof t);
    const I32s alphaBytes = reinterpret_cast<I32s>(t >> 24);
    const F32s alpha = __builtin_convertvector(alphaBytes, F32s);
    // Straight colour = premultiplied x 255 / alpha, at most 255; a colour
    // without alpha stays as it is (divided by 255 rather than 0). The
    // matrix is linear, so the colour is clamped to its alpha first and the
    // division applied to the matrix's results: one vector division per
    // sixteen pixels, which runs beside the rest.
    const I32s divisor = alphaBytes == 0 ? SplatI(255) : alphaBytes;
    const F32s scale = Splat(255.0f) / (alphaBytes == 0 ? Splat(255.0f) : alpha);
    auto clamped = [&](int shift) {
        const I32s c = reinterpret_cast<I32s>((t >> shift) & 0xFF);
        return __builtin_convertvector(c < divisor ? c : divisor, F32s);
    };
    const F32s r = clamped(16);
    const F32s g = clamped(8);
    const F32s b = clamped(0);
    // Encoded Y': the range's scale folded into the matrix row and applied
    // with the division.
    const F32s y = (E::kLuma * kYR * r + E::kLuma * kYG * g + E::kLuma * kYB * b) * scale + Splat(E::kLumaOffset);
    // Even columns carry Cb, odd ones Cr: each pixel works out its own kind
    // and the other kind for its neighbour, then the pair swaps the latter.
    const F32s ownR = EvenOdd(E::kChroma * kCbR, E::kChroma * kCrR);
    const F32s ownG = EvenOdd(E::kChroma * kCbG, E::kChroma * kCrG);
    const F32s ownB = EvenOdd(E::kChroma * kCbB, E::kChroma * kCrB);
    const F32s otherR = EvenOdd(E::kChroma * kCrR, E::kChroma * kCbR);
    const F32s otherG = EvenOdd(E::kChroma * kCrG, E::kChroma * kCbG);
    const F32s otherB = EvenOdd(E::kChroma * kCrB, E::kChroma * kCbB);
    const F32s own = (ownR * r + ownG * g + ownB * b) * scale + Splat(E::kChromaOffset);
    const F32s other = (otherR * r + otherG * g + otherB * b) * scale + Splat(E::kChromaOffset);
#if defined(__clang__)
    const F32s swapped = __builtin_shufflevector(other, other, 1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14);
#else
    const F32s swapped = __builtin_shuffle(other, I32s{1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14});
#endif
    // With colour clamped to its alpha no value reaches the shader's clamps
    // (Y' is 0..219, chroma sums +-224 around 128), except the squeezed key
    // at full alpha (235.08 of 234).
    const I32s red = __builtin_convertvector(y, I32s);
    const I32s green = __builtin_convertvector(own + swapped, I32s);
    I32s blue = alphaBytes;
    if (E::kSqueezed)
        blue = __builtin_convertvector(Min(alpha * Splat(E::kLuma) + Splat(E::kLumaOffset), Splat(234.0f)), I32s);
    const U32s packed = reinterpret_cast<U32s>(blue | (green << 8) | (red << 16)) | (t & 0xFF000000u);
    std::memcpy(out, &packed, sizeof packed);
}

template <YCbCrRange range>
__attribute__((always_inline)) inline void PackPairs(const uint32_t* texels, int pairs, uint32_t* out)
{
    // Clear canvas (every texel 0) encodes to one value, worked out the
    // same way: where graphics leave the canvas clear, sixteen pixels are
    // stored at once.
    uint32_t clear[kLanes];
    {
        const uint32_t zeros[kLanes] = {};
        PackVector<range>(zeros, clear);
    }
    U32s clearVector;
    std::memcpy(&clearVector, clear, sizeof clearVector);
    int k = 0;
    for (; k + kLanes / 2 <= pairs; k += kLanes / 2) {
        // One cache line per step, 4 KiB ahead: the processor's own
        // prefetching leaves this loop waiting for memory a third of the
        // time. (Past the row or the texture it is harmless: a prefetch
        // never faults; the address is made as a number for that reason.)
        __builtin_prefetch(reinterpret_cast<const void*>(reinterpret_cast<uintptr_t>(texels + 2 * k) + 4096));
        U32s t;
        std::memcpy(&t, texels + 2 * k, sizeof t);
        uint64_t halves[kLanes / 2];
        std::memcpy(halves, &t, sizeof halves);
        uint64_t any = 0;
        for (const uint64_t h : halves)
            any |= h;
        if (any == 0)
            std::memcpy(out + 2 * k, &clearVector, sizeof clearVector);
        else
            PackVector<range>(texels + 2 * k, out + 2 * k);
    }
    if (k == pairs)
        return;
    uint32_t in[kLanes] = {};
    uint32_t packed[kLanes];
    std::copy(texels + 2 * k, texels + 2 * pairs, in);
    PackVector<range>(in, packed);
    std::copy(packed, packed + 2 * (pairs - k), out + 2 * k);
}

}  // namespace

void PackYCbCrSpan(const uint32_t* texels, const int* own, const int* neighbour, const uint8_t* evenColumn,
                   int count, YCbCrRange range, uint32_t* out)
{
    for (int i = 0; i < count; ++i) {
        const YCbCrA c = ToYCbCr(texels[own[i]]);
        const YCbCrA n = ToYCbCr(texels[neighbour[i]]);
        const float chromaSum = evenColumn[i] ? c.cb + n.cb : c.cr + n.cr;
        out[i] = range == YCbCrRange::kLimited ? EncodePixel<YCbCrRange::kLimited>(c.y, chromaSum, c.a)
                                               : EncodePixel<YCbCrRange::kFull>(c.y, chromaSum, c.a);
    }
}

TAVREL_SIMD_CLONES
void PackYCbCrPairsSpan(const uint32_t* texels, int pairs, YCbCrRange range, uint32_t* out)
{
    if (range == YCbCrRange::kLimited)
        PackPairs<YCbCrRange::kLimited>(texels, pairs, out);
    else
        PackPairs<YCbCrRange::kFull>(texels, pairs, out);
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"

TAVREL_SIMD_CLONES
void FindCoveredColumns(const uint32_t* texels, int count, int* first, int* end)
{
    // Clear stretches a block at a time: an upload of a large, mostly clear
    // picture (a lower third's animation frame) pays little for it.
    constexpr int kBlock = kAlphaPixels;
    auto clearBlock = [](const uint32_t* block) {
        AlphaLanes lanes;
        std::memcpy(&lanes, block, sizeof lanes);
        lanes &= 0xFF000000u;
        uint64_t halves[kAlphaPixels / 2];
        std::memcpy(halves, &lanes, sizeof halves);
        uint64_t any = 0;
        for (const uint64_t h : halves)
            any |= h;
        return any == 0;
    };
    int f = 0;
    while (f + kBlock <= count && clearBlock(texels + f))
        f += kBlock;
    while (f < count && (texels[f] >> 24) == 0)
        ++f;
    int e = count;
    while (e - kBlock >= f && clearBlock(texels + e - kBlock))
        e -= kBlock;
    while (e > f && (texels[e - 1] >> 24) == 0)
        --e;
    *first = f;
    *end = e;
}

#pragma GCC diagnostic pop

void UnfoldAlphaSpan(const uint32_t* samples, int count, uint32_t* out)
{
    for (int i = 0; i < count; ++i) {
        const uint32_t t = samples[i];
        const uint32_t a = t >> 24;
        if (a == 0) {
            out[i] = t;
            continue;
        }
        const float scale = 255.0f / static_cast<float>(a);
        auto unfold = [&](int shift) { return std::min<uint32_t>(ToByte(Channel(t, shift) * scale / 255.0f), 255); };
        out[i] = Pack(unfold(0), unfold(8), unfold(16), a);
    }
}

}  // namespace cpukernels
