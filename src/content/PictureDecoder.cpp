// Recognising picture files and our own BMP and TGA readers.
#include "content/PictureDecoder.h"

#include "content/PictureLibraries.h"

#include <algorithm>
#include <cstring>

namespace {

uint16_t U16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

uint32_t U32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

constexpr uint32_t Bgra(uint32_t b, uint32_t g, uint32_t r, uint32_t a)
{
    return b | g << 8 | r << 16 | a << 24;
}

bool SizeAllowed(int64_t width, int64_t height)
{
    return width > 0 && height > 0 && width <= CPicture::kMaxSide && height <= CPicture::kMaxSide
           && width * height <= CPictureDecoder::kMaxPixels;
}

// Pictures whose alpha channel is zero everywhere were written by programs
// that leave the fourth byte unused: they are opaque.
bool AnyAlpha(const CPicture& picture)
{
    return std::any_of(picture.pixels.begin(), picture.pixels.end(), [](uint32_t p) { return (p >> 24) != 0; });
}

void MakeOpaque(CPicture& picture)
{
    for (uint32_t& p : picture.pixels)
        p |= 0xFF000000u;
}

// A colour channel under a bit mask, scaled to 0..255.
struct MaskChannel
{
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;

    explicit MaskChannel(uint32_t m = 0)
        : mask(m)
    {
        if (!mask)
            return;
        while (!((mask >> shift) & 1u))
            ++shift;
        max = mask >> shift;
    }
    uint32_t Get(uint32_t value) const
    {
        if (!max)
            return 0;
        return uint32_t((uint64_t((value & mask) >> shift) * 255 + max / 2) / max);
    }
};

bool LooksLikeTga(const uint8_t* d, size_t size)
{
    if (size < 18)
        return false;
    const int mapType = d[1], type = d[2], mapEntry = d[7], depth = d[16];
    if (mapType > 1 || U16(d + 12) == 0 || U16(d + 14) == 0)
        return false;
    if (mapType == 1 && mapEntry != 15 && mapEntry != 16 && mapEntry != 24 && mapEntry != 32)
        return false;
    switch (type) {
    case 1:
    case 9:
        return mapType == 1 && (depth == 8 || depth == 16);
    case 2:
    case 10:
        return depth == 15 || depth == 16 || depth == 24 || depth == 32;
    case 3:
    case 11:
        return depth == 8 || depth == 16;
    default:
        return false;
    }
}

}  // namespace

PictureFormat DetectPictureFormat(const uint8_t* d, size_t size)
{
    if (size >= 8 && std::memcmp(d, "\x89PNG\r\n\x1a\n", 8) == 0)
        return PictureFormat::Png;
    if (size >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF)
        return PictureFormat::Jpeg;
    if (size >= 6 && (std::memcmp(d, "GIF87a", 6) == 0 || std::memcmp(d, "GIF89a", 6) == 0))
        return PictureFormat::Gif;
    if (size >= 18 && d[0] == 'B' && d[1] == 'M')
        return PictureFormat::Bmp;
    // TGA has no signature: a header that holds together is taken as one.
    if (LooksLikeTga(d, size))
        return PictureFormat::Tga;
    return PictureFormat::Unknown;
}

int DecodeBmp(const uint8_t* d, size_t size, CPictureDecoder::Frame& frame)
{
    frame = {};
    if (size < 26 || d[0] != 'B' || d[1] != 'M')
        return 0;
    const uint32_t dataOffset = U32(d + 10);
    const uint32_t headerSize = U32(d + 14);
    if (headerSize < 12 || headerSize > size - 14)
        return 0;
    const uint8_t* h = d + 14;
    int64_t width, height;
    int bits;
    uint32_t compression = 0, colours = 0;
    size_t paletteEntry = 4;
    if (headerSize == 12) {  // the old OS/2 header
        width = U16(h + 4);
        height = int16_t(U16(h + 6));
        bits = U16(h + 10);
        paletteEntry = 3;
    } else {
        if (headerSize < 40)
            return 0;
        width = int32_t(U32(h + 4));
        height = int32_t(U32(h + 8));
        bits = U16(h + 14);
        compression = U32(h + 16);
        colours = U32(h + 32);
    }
    const bool topDown = height < 0;
    height = height < 0 ? -height : height;
    if (!SizeAllowed(width, height))
        return 0;

    // Bit fields: in the header from version 2 on, else after it.
    uint32_t masks[4] = {0, 0, 0, 0};
    size_t paletteStart = 14 + headerSize;
    const bool bitFields = compression == 3 || compression == 6;
    if (compression != 0 && !bitFields)
        return 0;  // RLE and embedded JPEG/PNG are not read
    if (bitFields) {
        if (bits != 16 && bits != 32)
            return 0;
        const int count = compression == 6 ? 4 : 3;
        if (headerSize >= 52) {
            for (int i = 0; i < 3; ++i)
                masks[i] = U32(h + 40 + 4 * i);
            if (headerSize >= 56)
                masks[3] = U32(h + 52);
        } else {
            if (paletteStart + 4 * size_t(count) > size)
                return 0;
            for (int i = 0; i < count; ++i)
                masks[i] = U32(d + paletteStart + 4 * size_t(i));
            paletteStart += 4 * size_t(count);
        }
    } else if (bits == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    } else if (bits == 32) {
        masks[0] = 0x00FF0000;
        masks[1] = 0x0000FF00;
        masks[2] = 0x000000FF;
        masks[3] = 0xFF000000;  // used only when some pixel sets it
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return 0;

    uint32_t palette[256];
    std::fill(std::begin(palette), std::end(palette), 0xFF000000u);
    int paletteSize = 0;
    if (bits <= 8) {
        paletteSize = colours == 0 || colours > (1u << bits) ? (1 << bits) : int(colours);
        for (int i = 0; i < paletteSize; ++i) {
            const size_t at = paletteStart + size_t(i) * paletteEntry;
            if (at + 3 > size)
                break;  // a short palette leaves the rest black
            palette[i] = Bgra(d[at], d[at + 1], d[at + 2], 255);
        }
    }

    const size_t stride = ((size_t(width) * size_t(bits) + 31) / 32) * 4;
    if (dataOffset > size || stride * size_t(height) > size - dataOffset)
        return 0;  // truncated
    CPicture& picture = frame.picture;
    picture.Resize(int(width), int(height));
    const MaskChannel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t* row = d + dataOffset + size_t(topDown ? y : height - 1 - y) * stride;
        uint32_t* out = picture.Row(int(y));
        for (int64_t x = 0; x < width; ++x) {
            switch (bits) {
            case 1:
                out[x] = palette[(row[x >> 3] >> (7 - (x & 7))) & 1];
                break;
            case 4:
                out[x] = palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
                break;
            case 8:
                out[x] = palette[row[x]];
                break;
            case 24:
                out[x] = Bgra(row[3 * x], row[3 * x + 1], row[3 * x + 2], 255);
                break;
            default: {
                const uint32_t v = bits == 16 ? U16(row + 2 * x) : U32(row + 4 * x);
                out[x] = Bgra(blue.Get(v), green.Get(v), red.Get(v), masks[3] ? alpha.Get(v) : 0);
            }
            }
        }
    }
    // Indexes beyond a short palette read its black entries above.
    if (bits == 32 && masks[3])
        frame.hasAlpha = AnyAlpha(picture);
    if (!frame.hasAlpha)
        MakeOpaque(picture);
    return 1;
}

int DecodeTga(const uint8_t* d, size_t size, CPictureDecoder::Frame& frame)
{
    frame = {};
    if (!LooksLikeTga(d, size))
        return 0;
    const int type = d[2], depth = d[16], descriptor = d[17];
    const int64_t width = U16(d + 12), height = U16(d + 14);
    if (!SizeAllowed(width, height))
        return 0;
    size_t at = 18 + size_t(d[0]);

    // The colour map, as pixel values.
    std::vector<uint32_t> map;
    const bool mapped = type == 1 || type == 9;
    if (d[1] == 1) {
        const int first = U16(d + 3), length = U16(d + 5), entryBits = d[7];
        const size_t entryBytes = size_t(entryBits + 7) / 8;
        if (at + size_t(length) * entryBytes > size)
            return 0;
        map.assign(size_t(first) + size_t(length), 0xFF000000u);
        for (int i = 0; i < length; ++i, at += entryBytes) {
            const uint8_t* e = d + at;
            uint32_t v;
            if (entryBytes == 2) {
                const uint32_t w = U16(e);
                v = Bgra((w & 31) * 255 / 31, ((w >> 5) & 31) * 255 / 31, ((w >> 10) & 31) * 255 / 31, 255);
            } else {
                v = Bgra(e[0], e[1], e[2], entryBytes == 4 ? e[3] : 255);
            }
            map[size_t(first) + size_t(i)] = v;
        }
    }
    const size_t pixelBytes = size_t(depth + 7) / 8;
    const int attributeBits = descriptor & 15;
    auto decodePixel = [&](const uint8_t* p) -> uint32_t {
        if (mapped) {
            const size_t index = pixelBytes == 2 ? U16(p) : p[0];
            return index < map.size() ? map[index] : 0xFF000000u;  // out of range: black
        }
        if (type == 3 || type == 11)
            return Bgra(p[0], p[0], p[0], pixelBytes == 2 ? p[1] : 255);
        if (pixelBytes == 2) {
            const uint32_t w = U16(p);
            const uint32_t a = attributeBits == 1 ? ((w & 0x8000) ? 255 : 0) : 255;
            return Bgra((w & 31) * 255 / 31, ((w >> 5) & 31) * 255 / 31, ((w >> 10) & 31) * 255 / 31, a);
        }
        return Bgra(p[0], p[1], p[2], pixelBytes == 4 ? p[3] : 255);
    };

    // Pixels in file order, then placed by the origin bits.
    const size_t count = size_t(width) * size_t(height);
    std::vector<uint32_t> pixels(count);
    if (type < 9) {
        if (at > size || count * pixelBytes > size - at)
            return 0;
        for (size_t i = 0; i < count; ++i)
            pixels[i] = decodePixel(d + at + i * pixelBytes);
    } else {
        size_t i = 0;
        while (i < count) {
            if (at >= size)
                return 0;
            const int header = d[at++];
            const size_t n = std::min(size_t(header & 0x7F) + 1, count - i);
            if (header & 0x80) {
                if (pixelBytes > size - at)
                    return 0;
                std::fill_n(pixels.begin() + ptrdiff_t(i), n, decodePixel(d + at));
                at += pixelBytes;
            } else {
                if (n * pixelBytes > size - at)
                    return 0;
                for (size_t k = 0; k < n; ++k, at += pixelBytes)
                    pixels[i + k] = decodePixel(d + at);
            }
            i += n;
        }
    }
    CPicture& picture = frame.picture;
    picture.Resize(int(width), int(height));
    const bool topDown = descriptor & 0x20, rightToLeft = descriptor & 0x10;
    for (int64_t y = 0; y < height; ++y) {
        const uint32_t* from = pixels.data() + size_t(topDown ? y : height - 1 - y) * size_t(width);
        uint32_t* to = picture.Row(int(y));
        if (rightToLeft)
            std::reverse_copy(from, from + width, to);
        else
            std::copy(from, from + width, to);
    }
    const bool alphaFormat = (mapped && d[7] == 32) || (!mapped && (depth == 32 || (depth == 16 && (type == 3 || type == 11 || attributeBits == 1))));
    frame.hasAlpha = alphaFormat && AnyAlpha(picture);
    if (!frame.hasAlpha)
        MakeOpaque(picture);
    return 1;
}

int CPictureDecoder::Decode(int index, Frame& frame)
{
    frame = {};
    const auto* data = reinterpret_cast<const uint8_t*>(bytes_.constData());
    const size_t size = size_t(bytes_.size());
    if (index < 0 || index >= frameCount_)
        return 0;
    switch (format_) {
    case PictureFormat::Bmp:
        return DecodeBmp(data, size, frame);
    case PictureFormat::Tga:
        return DecodeTga(data, size, frame);
    case PictureFormat::Png:
        return DecodePng(data, size, frame);
    case PictureFormat::Jpeg:
        return DecodeJpeg(data, size, frame);
    case PictureFormat::Gif:
        return DecodeGifFrame(data, size, index, gif_, frame);
    case PictureFormat::Unknown:
        break;
    }
    return 0;
}
