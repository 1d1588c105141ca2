#include "model/CompressedPicture.h"

#include "model/PixelScan.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

constexpr uint16_t kRunFlag = 0x8000;
constexpr size_t kRunFollowersMax = CCompressedPicture::kMaxRun - 1;  // equal pixels after the first

// The greedy packet choice, shared by measuring and writing so that both
// always agree. Sink::Run(followers, value) and Sink::Literal(pixels, count)
// return false to give up.
template <class Sink>
bool ChoosePackets(const uint32_t* p, size_t n, Sink& sink)
{
    size_t i = 0;
    while (i < n) {
        if (i + 1 < n && p[i + 1] == p[i]) {
            const uint32_t value = p[i];
            const size_t end = pixelscan::RunEnd(p, i + 2, std::min(n, i + 1 + kRunFollowersMax), value);
            if (!sink.Run(end - i - 1, value))
                return false;
            i = end;
            continue;
        }
        const size_t limit = std::min(n - i, size_t(CCompressedPicture::kMaxLiteral));
        size_t count = pixelscan::FirstRepeat(p, i + 1, i + limit) - i;
        // Stopped at two equal pixels: they start a run of their own.
        if (count < limit && count > 1)
            --count;
        if (!sink.Literal(p + i, count))
            return false;
        i += count;
    }
    return true;
}

struct MeasureSink
{
    int64_t size = 0;
    int64_t limit;
    bool Run(size_t, uint32_t)
    {
        size += 6;
        return size < limit;
    }
    bool Literal(const uint32_t*, size_t count)
    {
        size += 2 + 4 * int64_t(count);
        return size < limit;
    }
};

struct WriteSink
{
    uint8_t* out;
    void Header(uint16_t header)
    {
        out[0] = uint8_t(header & 0xFF);
        out[1] = uint8_t(header >> 8);
        out += 2;
    }
    bool Run(size_t followers, uint32_t value)
    {
        Header(uint16_t((followers - 1) | kRunFlag));
        std::memcpy(out, &value, 4);
        out += 4;
        return true;
    }
    bool Literal(const uint32_t* pixels, size_t count)
    {
        Header(uint16_t(count - 1));
        std::memcpy(out, pixels, count * 4);
        out += count * 4;
        return true;
    }
};

// Walks the packets of run-length data. Sink::Run(at, value, count) and
// Sink::Literal(at, bytes, count) receive each packet with the index of its
// first pixel. Returns the pixels covered, or -1 at a packet that is cut off
// or would cover more than maxPixels.
template <class Sink>
int64_t WalkPackets(const uint8_t* bytes, size_t size, size_t maxPixels, Sink& sink)
{
    size_t pos = 0;
    size_t covered = 0;
    while (pos < size) {
        if (size - pos < 2)
            return -1;
        const uint16_t header = uint16_t(bytes[pos] | (bytes[pos + 1] << 8));
        pos += 2;
        if (header & kRunFlag) {
            const size_t count = (header & 0x7FFFu) + 2;
            if (size - pos < 4 || count > maxPixels - covered)
                return -1;
            uint32_t value;
            std::memcpy(&value, bytes + pos, 4);
            sink.Run(covered, value, count);
            pos += 4;
            covered += count;
        } else {
            const size_t count = (header & 0x7FFFu) + 1;
            if ((size - pos) / 4 < count || count > maxPixels - covered)
                return -1;
            sink.Literal(covered, bytes + pos, count);
            pos += 4 * count;
            covered += count;
        }
    }
    return int64_t(covered);
}

struct CheckSink
{
    void Run(size_t, uint32_t, size_t) {}
    void Literal(size_t, const uint8_t*, size_t) {}
};

struct ExpandSink
{
    uint32_t* pixels;
    void Run(size_t at, uint32_t value, size_t count) { pixelscan::Fill(pixels + at, count, value); }
    void Literal(size_t at, const uint8_t* bytes, size_t count) { std::memcpy(pixels + at, bytes, count * 4); }
};

struct SpanSink
{
    explicit SpanSink(const std::function<void(const uint8_t*, size_t)>& s) : sink(s) {}

    const std::function<void(const uint8_t*, size_t)>& sink;
    static constexpr size_t kChunk = 4096;
    uint32_t chunk[kChunk];
    uint32_t chunkValue = 0;
    size_t chunkFilled = 0;  // leading entries of chunk that hold chunkValue

    void Run(size_t, uint32_t value, size_t count)
    {
        if (value != chunkValue)
            chunkFilled = 0;
        chunkValue = value;
        const size_t wanted = std::min(count, kChunk);
        if (chunkFilled < wanted) {
            std::fill(chunk + chunkFilled, chunk + wanted, value);
            chunkFilled = wanted;
        }
        for (size_t left = count; left > 0;) {
            const size_t step = std::min(left, kChunk);
            sink(reinterpret_cast<const uint8_t*>(chunk), step * 4);
            left -= step;
        }
    }
    void Literal(size_t, const uint8_t* bytes, size_t count) { sink(bytes, count * 4); }
};

}  // namespace

int64_t RunLengthSize(const uint32_t* pixels, size_t count, int64_t limit)
{
    MeasureSink sink{0, limit};
    return ChoosePackets(pixels, count, sink) ? sink.size : -1;
}

void EncodeRunLength(const uint32_t* pixels, size_t count, uint8_t* out)
{
    WriteSink sink{out};
    ChoosePackets(pixels, count, sink);
}

int64_t RunLengthPixelCount(const uint8_t* bytes, size_t size, size_t maxPixels)
{
    CheckSink sink;
    return WalkPackets(bytes, size, maxPixels, sink);
}

CCompressedPicture::CCompressedPicture(const CPicture& source)
{
    Compress(source, nullptr);
}

CCompressedPicture::CCompressedPicture(CPicture&& source)
{
    Compress(source, &source.pixels);
}

void CCompressedPicture::Compress(const CPicture& source, std::vector<uint32_t>* takeRaw)
{
    width = source.width;
    height = source.height;
    frameCount = source.frameCount;
    frameDelay = source.frameDelay;
    compressedSize = kRaw;
    data.clear();
    const size_t count = source.PixelCount();
    if (count == 0 || source.pixels.size() < count) {
        // An empty picture stores nothing (and keeps a size such as 0 x 1).
        if (count != 0)
            width = height = 0;
        pixels.clear();
        return;
    }
    // Kept only when it saves at least 20 % (length x 100 / raw below 80),
    // and when its length fits the file's 32-bit size field. Measuring first
    // means the only buffer allocated is the one kept.
    const int64_t raw = int64_t(count) * 4;
    const int64_t limit = std::min<int64_t>((4 * raw + 4) / 5, int64_t(INT_MAX) + 1);
    const int64_t size = RunLengthSize(source.pixels.data(), count, limit);
    if (size >= 0) {
        data.resize(size_t(size));
        EncodeRunLength(source.pixels.data(), count, data.data());
        compressedSize = int(size);
        pixels.clear();
        pixels.shrink_to_fit();
    } else if (takeRaw) {
        pixels = std::move(*takeRaw);
        pixels.resize(count);
    } else {
        pixels.assign(source.pixels.begin(), source.pixels.begin() + ptrdiff_t(count));
    }
}

int CCompressedPicture::SetRunLength(int w, int h, std::vector<uint8_t>&& bytes)
{
    if (w < 0 || h < 0 || w > kMaxSide || h > kMaxSide || bytes.size() > size_t(INT_MAX))
        return 0;
    const size_t count = size_t(w) * size_t(h);
    if (RunLengthPixelCount(bytes.data(), bytes.size(), count) != int64_t(count))
        return 0;
    width = w;
    height = h;
    pixels.clear();
    pixels.shrink_to_fit();
    data = std::move(bytes);
    compressedSize = int(data.size());
    return 1;
}

int CCompressedPicture::SetRaw(int w, int h, std::vector<uint32_t>&& rawPixels)
{
    if (w < 0 || h < 0 || w > kMaxSide || h > kMaxSide || rawPixels.size() != size_t(w) * size_t(h))
        return 0;
    width = w;
    height = h;
    data.clear();
    data.shrink_to_fit();
    pixels = std::move(rawPixels);
    compressedSize = kRaw;
    return 1;
}

void CCompressedPicture::Decompress(CPicture& target) const
{
    target.Resize(width, height);
    target.frameCount = frameCount;
    target.frameDelay = frameDelay;
    DecompressTo(target.pixels.data(), width);
}

void CCompressedPicture::DecompressTo(uint32_t* target, int pitch) const
{
    const size_t count = PixelCount();
    if (count == 0)
        return;
    if (pitch != width) {
        // Row by row through a picture of our own size.
        CPicture rows;
        Decompress(rows);
        for (int y = 0; y < height; ++y)
            std::memcpy(target + size_t(y) * size_t(pitch), rows.Row(y), size_t(width) * 4);
        return;
    }
    if (compressedSize == kRaw) {
        const size_t copy = std::min(count, pixels.size());
        std::memcpy(target, pixels.data(), copy * 4);
        std::fill(target + copy, target + count, 0u);
        return;
    }
    ExpandSink sink{target};
    const int64_t covered = WalkPackets(data.data(), data.size(), count, sink);
    // Accepted data always covers the picture; anything short stays transparent.
    if (covered < int64_t(count))
        std::fill(target + std::max<int64_t>(covered, 0), target + count, 0u);
}

void CCompressedPicture::DecompressSpans(const std::function<void(const uint8_t*, size_t)>& sink) const
{
    if (compressedSize == kRaw) {
        if (!pixels.empty())
            sink(reinterpret_cast<const uint8_t*>(pixels.data()), pixels.size() * 4);
        return;
    }
    SpanSink spans(sink);
    WalkPackets(data.data(), data.size(), PixelCount(), spans);
}

const uint8_t* CCompressedPicture::StoredBytes() const
{
    return compressedSize == kRaw ? reinterpret_cast<const uint8_t*>(pixels.data()) : data.data();
}

size_t CCompressedPicture::StoredSize() const
{
    return compressedSize == kRaw ? pixels.size() * 4 : data.size();
}

bool CCompressedPicture::SameStoredBytes(const CCompressedPicture& other) const
{
    return width == other.width && height == other.height && compressedSize == other.compressedSize
           && StoredSize() == other.StoredSize()
           && (StoredSize() == 0 || std::memcmp(StoredBytes(), other.StoredBytes(), StoredSize()) == 0);
}
