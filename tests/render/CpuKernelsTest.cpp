// The vector loops against the per-pixel ones they stand in for: the
// Y'CbCr pair loop against the loop that takes any mapping, the prepared
// bilinear sampler of scaled quads against SampleSpan, blending at full
// vertex alpha against single pixels, the summed shadow taps against one tap
// at a time.
#include "render/cpu/CpuKernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

using cpukernels::YCbCrRange;

int ChannelDistance(uint32_t a, uint32_t b)
{
    int worst = 0;
    for (int shift = 0; shift < 32; shift += 8)
        worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    return worst;
}

// Canvas pixels as composing leaves them and as nothing should: clear,
// opaque, every alpha with colour up to it, colour above its alpha (a clear
// to a straight colour), colour without alpha.
std::vector<uint32_t> Texels(int count)
{
    std::mt19937 random(5);
    std::vector<uint32_t> texels(count);
    for (int i = 0; i < count; ++i) {
        const uint32_t a = random() % 4 == 0 ? (random() % 2) * 255 : random() % 256;
        const int kind = static_cast<int>(random() % 8);
        uint32_t pixel = a << 24;
        for (int shift = 0; shift < 24; shift += 8) {
            const uint32_t c = kind == 0 ? random() % 256 : (a == 0 ? 0 : random() % (a + 1));
            pixel |= c << shift;
        }
        texels[i] = pixel;
    }
    return texels;
}

TEST(CpuKernels, PairLoopEncodesLikeThePixelLoop)
{
    std::vector<uint32_t> texels = Texels(4096);
    // Stretches of clear canvas, as most of a page is, long enough for
    // whole vectors and beginning in the middle of one.
    std::fill(texels.begin() + 37, texels.begin() + 300, 0u);
    std::fill(texels.begin() + 2048, texels.begin() + 4000, 0u);
    // Pair counts around the vector width and its tail.
    for (int pairs : {1, 7, 8, 9, 23, 2048}) {
        const int count = 2 * pairs;
        std::vector<int> own(count), neighbour(count);
        std::vector<uint8_t> even(count);
        for (int i = 0; i < count; ++i) {
            own[i] = i;
            neighbour[i] = i ^ 1;
            even[i] = i % 2 == 0;
        }
        for (YCbCrRange range : {YCbCrRange::kFull, YCbCrRange::kLimited}) {
            std::vector<uint32_t> expected(count), actual(count + 1, 0xDEADBEEFu);
            cpukernels::PackYCbCrSpan(texels.data(), own.data(), neighbour.data(), even.data(), count, range,
                                      expected.data());
            cpukernels::PackYCbCrPairsSpan(texels.data(), pairs, range, actual.data());
            int mismatches = 0;
            for (int i = 0; i < count && mismatches < 5; ++i)
                if (ChannelDistance(expected[i], actual[i]) > 1) {
                    ADD_FAILURE() << pairs << " pairs, range " << static_cast<int>(range) << ", pixel " << i
                                  << " of texel " << std::hex << texels[i] << ": " << actual[i] << " instead of "
                                  << expected[i];
                    ++mismatches;
                }
            EXPECT_EQ(actual[count], 0xDEADBEEFu) << "written past the span of " << pairs << " pairs";
        }
    }
}

TEST(CpuKernels, PreparedSamplerReadsWhatSampleSpanReads)
{
    constexpr int kWidth = 37;
    constexpr int kHeight = 23;
    const std::vector<uint32_t> texels = Texels(kWidth * kHeight);
    const cpukernels::TextureView view{texels.data(), kWidth, kHeight};
    struct Case
    {
        const char* name;
        AddressMode mode;
        double u0, du, v;
        int count;
    };
    const Case cases[] = {
        {"shrunk to 0.62", AddressMode::kClamp, 0.0, 1.0 / (kWidth * 0.62), 0.31, 22},
        {"stretched 3 times", AddressMode::kClamp, 0.01, 1.0 / (kWidth * 3.0), 0.5, 111},
        {"clamped past both edges", AddressMode::kClamp, -0.2, 1.4 / 60, -0.1, 60},
        {"wrapped past both edges", AddressMode::kWrap, -0.7, 2.5 / 90, 1.3, 90},
        {"a shadow tap's offset", AddressMode::kWrap, 0.4 - 3.0 / kWidth, 1.0 / 50, 0.7 + 2.0 / kHeight, 50},
        {"on texel centres", AddressMode::kClamp, 0.5 / kWidth, 1.0 / kWidth, 0.5 / kHeight, kWidth},
    };
    for (const Case& c : cases) {
        const cpukernels::SamplerView sampler{c.mode, c.mode, FilterMode::kLinear};
        std::vector<uint32_t> expected(c.count), actual(c.count + 1, 0xDEADBEEFu);
        cpukernels::SampleSpan(view, sampler, c.u0, c.du, c.v, c.count, expected.data());
        cpukernels::ColumnTaps columns;
        cpukernels::PrepareColumns(kWidth, c.mode, c.u0, c.du, c.count, &columns);
        const cpukernels::RowTaps row = cpukernels::PrepareRow(view, c.mode, c.v);
        cpukernels::SampleColumnsSpan(row, columns, c.count, actual.data());
        std::vector<uint32_t> sums(c.count, 7);
        cpukernels::AddSampledAlphaSpan(row, columns, c.count, sums.data());
        for (int i = 0; i < c.count; ++i) {
            ASSERT_EQ(actual[i], expected[i]) << c.name << ", pixel " << i;
            ASSERT_EQ(sums[i], 7 + (expected[i] >> 24)) << c.name << ", alpha of pixel " << i;
        }
        EXPECT_EQ(actual[c.count], 0xDEADBEEFu) << c.name << ": written past the span";
    }
}

// Every texel alpha with every colour value, over varied destinations: the
// 16-bit vector blend at full vertex alpha must give what a span of one
// pixel (the per-pixel arithmetic) gives, at other vertex alphas too.
TEST(CpuKernels, BlendingSpansGiveWhatSinglePixelsGive)
{
    std::vector<uint32_t> texels;
    for (uint32_t a = 0; a < 256; ++a)
        for (uint32_t c = 0; c < 256; ++c)
            texels.push_back((a << 24) | (c << 16) | ((255 - c) << 8) | ((c * 7) & 0xFF));
    const std::vector<uint32_t> destinations = Texels(static_cast<int>(texels.size()));
    for (const uint32_t vertexAlpha : {255u, 254u, 128u, 1u}) {
        std::vector<uint32_t> spans = destinations;
        std::vector<uint32_t> pixels = destinations;
        cpukernels::AlphaMixOverSpan(texels.data(), static_cast<int>(texels.size()), vertexAlpha, spans.data());
        for (size_t i = 0; i < texels.size(); ++i)
            cpukernels::AlphaMixOverSpan(&texels[i], 1, vertexAlpha, &pixels[i]);
        for (size_t i = 0; i < texels.size(); ++i)
            ASSERT_EQ(spans[i], pixels[i]) << "vertex alpha " << vertexAlpha << ", texel " << std::hex << texels[i]
                                           << " over " << destinations[i];
    }
}

TEST(CpuKernels, SummedShadowTapsGiveWhatTapByTapGives)
{
    // Rows of text-like alpha: clear stretches longer than a vector and
    // covered ones, so that blocks are both passed over and blended.
    constexpr int kWidth = 100;
    std::mt19937 random(11);
    std::vector<uint32_t> texels = Texels(13 * (kWidth + 20));
    for (size_t i = 0; i < texels.size(); ++i)
        if ((i / 24) % 3 == 0)
            texels[i] = 0;
    const std::vector<uint32_t> destinations = Texels(kWidth);
    for (const int count : {1, 15, 16, 17, 40, kWidth}) {
        for (const uint32_t vertexAlpha : {255u, 77u}) {
            const uint32_t* taps[cpukernels::kShadowTaps];
            for (int k = 0; k < cpukernels::kShadowTaps; ++k)
                taps[k] = &texels[static_cast<size_t>(k) * (kWidth + 20) + random() % 20];
            std::vector<uint32_t> sums(count, 0);
            for (const uint32_t* tap : taps)
                cpukernels::AddAlphaSpan(tap, count, sums.data());
            std::vector<uint32_t> expected(destinations.begin(), destinations.begin() + count);
            cpukernels::ShadowOverSpan(sums.data(), count, vertexAlpha, expected.data());
            std::vector<uint32_t> actual(destinations.begin(), destinations.begin() + count);
            actual.push_back(0xDEADBEEFu);
            cpukernels::ShadowTapsOverSpan(taps, count, vertexAlpha, actual.data());
            for (int i = 0; i < count; ++i)
                ASSERT_EQ(actual[i], expected[i]) << count << " pixels, vertex alpha " << vertexAlpha << ", pixel " << i;
            EXPECT_EQ(actual[count], 0xDEADBEEFu) << "written past " << count << " pixels";
        }
    }
}

}  // namespace
