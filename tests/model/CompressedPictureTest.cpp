#include "model/CompressedPicture.h"
#include "model/FrameBackground.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

CPicture FromPixels(int w, int h, std::vector<uint32_t> pixels)
{
    CPicture p;
    p.width = w;
    p.height = h;
    p.pixels = std::move(pixels);
    return p;
}

std::vector<uint32_t> RoundTrip(const CCompressedPicture& c)
{
    CPicture out;
    c.Decompress(out);
    return out.pixels;
}

// Packets as bytes: run(count, value) or literal(values).
struct Packets
{
    std::vector<uint8_t> bytes;
    Packets& Header(uint16_t h)
    {
        bytes.push_back(uint8_t(h));
        bytes.push_back(uint8_t(h >> 8));
        return *this;
    }
    Packets& Pixel(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(uint8_t(v >> (8 * i)));
        return *this;
    }
    Packets& Run(int count, uint32_t v) { return Header(uint16_t((count - 2) | 0x8000)).Pixel(v); }
    Packets& Literal(std::initializer_list<uint32_t> values)
    {
        Header(uint16_t(values.size() - 1));
        for (uint32_t v : values)
            Pixel(v);
        return *this;
    }
};

TEST(CompressedPicture, SingleColourFullHdIsSixtyFourRuns)
{
    const CPicture solid = FromPixels(1920, 1080, std::vector<uint32_t>(1920 * 1080, 0xFF336699u));
    const CCompressedPicture c(solid);
    ASSERT_EQ(c.compressedSize, 384);
    // 63 runs of 32769 pixels and one of 9153
    uint16_t lastHeader = uint16_t(c.data[378] | c.data[379] << 8);
    EXPECT_EQ(lastHeader, (9153 - 2) | 0x8000);
    EXPECT_EQ(c.data[0] | c.data[1] << 8, 0xFFFF);
    EXPECT_EQ(RoundTrip(c), solid.pixels);
}

TEST(CompressedPicture, PacketChoiceFollowsTheGreedyRules)
{
    struct Case
    {
        const char* name;
        std::vector<uint32_t> pixels;
        std::vector<uint8_t> expected;  // empty: only the round trip is checked
    };
    std::vector<uint32_t> longLiteral(40000);
    for (size_t i = 0; i < longLiteral.size(); ++i)
        longLiteral[i] = uint32_t(i);
    std::vector<uint32_t> longRun(70000, 7u);
    longRun.push_back(8);
    const Case cases[] = {
        // A B C C D: the literal ends before the equal pair, the last pixel alone
        {"literal then run", {1, 2, 3, 3, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 5},
         Packets().Literal({1, 2}).Run(2, 3).Run(12, 4).Literal({5}).bytes},
        {"long literal", longLiteral, {}},
        {"long run and a last pixel", longRun, Packets().Run(32769, 7).Run(32769, 7).Run(4462, 7).Literal({8}).bytes},
    };
    for (const Case& c : cases) {
        const CPicture p = FromPixels(int(c.pixels.size()), 1, c.pixels);
        const CCompressedPicture compressed(p);
        if (!c.expected.empty()) {
            EXPECT_EQ(compressed.data, c.expected) << c.name;
        }
        EXPECT_EQ(RoundTrip(compressed), c.pixels) << c.name;
    }
}

// The greedy rule pixel by pixel, as plainly as it can be written, against
// the encoder's wide scans on random rows of few colours.
TEST(CompressedPicture, EncoderAgreesWithAPlainReadingOfTheRule)
{
    auto reference = [](const std::vector<uint32_t>& p) {
        Packets packets;
        size_t i = 0;
        while (i < p.size()) {
            if (i + 1 < p.size() && p[i + 1] == p[i]) {
                size_t followers = 0;
                while (i + 1 + followers < p.size() && p[i + 1 + followers] == p[i] && followers < 32768)
                    ++followers;
                packets.Run(int(followers + 1), p[i]);
                i += followers + 1;
                continue;
            }
            size_t count = 1;
            while (i + count < p.size() && count < 32767 && p[i + count] != p[i + count - 1])
                ++count;
            if (i + count < p.size() && count < 32767 && count > 1)
                --count;
            packets.Header(uint16_t(count - 1));
            for (size_t k = 0; k < count; ++k)
                packets.Pixel(p[i + k]);
            i += count;
        }
        return packets.bytes;
    };
    std::mt19937 random(3);
    for (int round = 0; round < 2000; ++round) {
        std::vector<uint32_t> pixels(random() % 70 + 1);
        const uint32_t colours = random() % 4 + 2;
        for (uint32_t& v : pixels)
            v = random() % colours;
        std::vector<uint8_t> encoded(size_t(RunLengthSize(pixels.data(), pixels.size(), INT64_MAX)));
        EncodeRunLength(pixels.data(), pixels.size(), encoded.data());
        ASSERT_EQ(encoded, reference(pixels)) << "round " << round;
        CCompressedPicture decoded;
        ASSERT_EQ(decoded.SetRunLength(int(pixels.size()), 1, std::move(encoded)), 1);
        ASSERT_EQ(RoundTrip(decoded), pixels);
    }
}

TEST(CompressedPicture, KeepsRawPixelsWhenRunLengthWouldNotSaveTwentyPercent)
{
    std::mt19937 random(7);
    std::vector<uint32_t> noise(64 * 64);
    for (uint32_t& v : noise)
        v = random();
    const CCompressedPicture raw(FromPixels(64, 64, noise));
    EXPECT_EQ(raw.compressedSize, CCompressedPicture::kRaw);
    EXPECT_EQ(raw.StoredSize(), 64u * 64 * 4);
    EXPECT_EQ(RoundTrip(raw), noise);

    // 5 pixels in runs of 2 and a literal: 6 + 6 + 6 = 18 bytes of 20 is
    // 90 %; a run of 5 (6 bytes) is 30 %.
    EXPECT_EQ(CCompressedPicture(FromPixels(5, 1, {1, 1, 2, 2, 3})).compressedSize, CCompressedPicture::kRaw);
    EXPECT_EQ(CCompressedPicture(FromPixels(5, 1, {1, 1, 1, 1, 1})).compressedSize, 6);
    EXPECT_EQ(CCompressedPicture(CPicture()).StoredSize(), 0u);
}

TEST(CompressedPicture, RunLengthFromOutsideMustCoverThePictureExactly)
{
    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
        bool accepted;
    };
    std::vector<uint8_t> cutPixel = Packets().Run(4, 1).bytes;
    cutPixel.pop_back();
    std::vector<uint8_t> cutHeader = Packets().Run(4, 1).bytes;
    cutHeader.push_back(0);
    const Case cases[] = {
        {"exact", Packets().Literal({1, 2}).Run(4, 3).Literal({4, 5}).bytes, true},
        {"underrun", Packets().Literal({1, 2}).Run(4, 3).bytes, false},
        {"overrun by a run", Packets().Literal({1, 2}).Run(7, 3).bytes, false},
        {"overrun by a literal", Packets().Run(4, 3).Literal({1, 2, 3, 4, 5}).bytes, false},
        {"pixel cut off", cutPixel, false},
        {"header cut off", cutHeader, false},
        {"literal longer than the data", Packets().Header(5).Pixel(1).bytes, false},
        {"empty", {}, false},
    };
    for (const Case& c : cases) {
        CCompressedPicture picture;
        std::vector<uint8_t> bytes = c.bytes;
        EXPECT_EQ(picture.SetRunLength(4, 2, std::move(bytes)), c.accepted ? 1 : 0) << c.name;
        if (c.accepted) {
            EXPECT_EQ(RoundTrip(picture), (std::vector<uint32_t>{1, 2, 3, 3, 3, 3, 4, 5})) << c.name;
        } else {
            EXPECT_EQ(picture.width, 0) << c.name;
        }
    }
}

TEST(CompressedPicture, SpansGiveTheSameBytesAsDecompression)
{
    std::vector<uint32_t> pixels(300 * 200, 0u);
    for (int y = 150; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            pixels[size_t(y * 300 + x)] = 0xFF000000u | uint32_t(x * 7 + y);
    std::fill_n(pixels.begin() + 1000, 9000, 0x80FFFFFFu);  // a run longer than a span chunk
    const CCompressedPicture c(FromPixels(300, 200, pixels));
    ASSERT_NE(c.compressedSize, CCompressedPicture::kRaw);
    std::vector<uint8_t> streamed;
    c.DecompressSpans([&](const uint8_t* bytes, size_t count) { streamed.insert(streamed.end(), bytes, bytes + count); });
    ASSERT_EQ(streamed.size(), pixels.size() * 4);
    EXPECT_EQ(0, std::memcmp(streamed.data(), pixels.data(), streamed.size()));
}

TEST(CompressedPicture, BackgroundFrameCopiesAreDeep)
{
    CFrameBackground original(CCompressedPicture(FromPixels(4, 1, {1, 1, 1, 1})), 40);
    CFrameBackground copy = original;
    copy.picture.data[2] = 9;
    copy.duration = 80;
    EXPECT_EQ(original.picture.data[2], 1);
    EXPECT_EQ(original.duration, 40);
}

}  // namespace
