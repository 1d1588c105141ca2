#pragma once

#include "model/Picture.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// A picture kept run-length compressed, as background frames are held in
// memory and in page files. With compressedSize -1 the inherited `pixels`
// hold the raw width x height pixels (the run-length form would not have
// saved 20 %); otherwise `data` holds compressedSize bytes of packets:
//   16-bit little-endian header w, bit 15 set: one 4-byte pixel repeated
//   (w & 0x7FFF) + 2 times; bit 15 clear: (w & 0x7FFF) + 1 literal pixels.
// The packets cover exactly width x height pixels; run-length data taken
// from outside is checked for that before it is accepted.
class CCompressedPicture : public CPicture
{
public:
    static constexpr int kRaw = -1;
    static constexpr int kMaxRun = 32769;      // pixels of one run packet
    static constexpr int kMaxLiteral = 32767;  // pixels of one literal packet as written

    CCompressedPicture() = default;
    // Compresses the picture; a picture kept raw is copied (or, from an
    // rvalue, its buffer is taken over without a copy).
    explicit CCompressedPicture(const CPicture& source);
    explicit CCompressedPicture(CPicture&& source);

    // Takes run-length bytes read from a file for a width x height picture.
    // Returns 0 and leaves the picture unchanged when the packets overrun or
    // underrun the picture or the bytes.
    int SetRunLength(int width, int height, std::vector<uint8_t>&& bytes);
    // Takes raw pixels (width x height of them) without compressing them.
    int SetRaw(int width, int height, std::vector<uint32_t>&& rawPixels);

    // Sizes target like this picture and fills it with the pixels.
    void Decompress(CPicture& target) const;
    // Writes the pixels to memory the caller holds: `pitch` pixels from one
    // row to the next (at least width), height rows.
    void DecompressTo(uint32_t* target, int pitch) const;
    // Hands the pixels, in order, to `sink` in spans of bytes (B, G, R, A per
    // pixel) without holding the whole picture decompressed at once.
    void DecompressSpans(const std::function<void(const uint8_t* bytes, size_t count)>& sink) const;

    // The bytes a page file stores for this picture: the run-length data, or
    // the raw pixels when compressedSize is -1.
    const uint8_t* StoredBytes() const;
    size_t StoredSize() const;
    bool SameStoredBytes(const CCompressedPicture& other) const;

    int compressedSize = kRaw;
    std::vector<uint8_t> data;

private:
    void Compress(const CPicture& source, std::vector<uint32_t>* takeRaw);
};

// Size of the run-length form of `count` pixels, or -1 as soon as it reaches
// `limit` bytes.
int64_t RunLengthSize(const uint32_t* pixels, size_t count, int64_t limit);
// Writes the run-length form of `count` pixels to `out`, which must hold
// RunLengthSize(pixels, count, ...) bytes.
void EncodeRunLength(const uint32_t* pixels, size_t count, uint8_t* out);
// Number of pixels the packets cover when they lie exactly within `size`
// bytes and cover no more than maxPixels; -1 otherwise.
int64_t RunLengthPixelCount(const uint8_t* bytes, size_t size, size_t maxPixels);
