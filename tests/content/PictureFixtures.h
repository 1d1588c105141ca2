#pragma once

// Picture files built in memory by the tests: BMP and TGA byte by byte,
// PNG and JPEG through Qt's writers, GIF through giflib's encoder.
#include "model/Picture.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QString>

#include <gif_lib.h>

#include <cstdint>
#include <vector>

namespace fixtures {

inline void Put16(QByteArray& b, int v)
{
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}

inline void Put32(QByteArray& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

// A BMP with a 40-byte header. `rows` are given top-down as the bytes of
// each row (without padding); bottom-up files store them in reverse.
inline QByteArray Bmp(int width, int height, int bits, const std::vector<QByteArray>& rows,
                      const std::vector<uint32_t>& palette = {}, bool topDown = false)
{
    const int stride = ((width * bits + 31) / 32) * 4;
    const int paletteBytes = int(palette.size()) * 4;
    QByteArray b("BM");
    Put32(b, uint32_t(54 + paletteBytes + stride * height));
    Put32(b, 0);
    Put32(b, uint32_t(54 + paletteBytes));
    Put32(b, 40);
    Put32(b, uint32_t(width));
    Put32(b, uint32_t(topDown ? -height : height));
    Put16(b, 1);
    Put16(b, bits);
    Put32(b, 0);
    Put32(b, uint32_t(stride * height));
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, uint32_t(palette.size()));
    Put32(b, 0);
    for (uint32_t p : palette)
        Put32(b, p);
    for (int i = 0; i < height; ++i) {
        QByteArray row = rows[size_t(topDown ? i : height - 1 - i)];
        row.resize(stride, '\0');
        b.append(row);
    }
    return b;
}

// A TGA header (18 bytes) followed by `body` (colour map and pixels).
inline QByteArray Tga(int type, int width, int height, int depth, int descriptor, const QByteArray& body,
                      int mapLength = 0, int mapEntryBits = 0)
{
    QByteArray b;
    b.append(char(0));
    b.append(char(mapLength ? 1 : 0));
    b.append(char(type));
    Put16(b, 0);
    Put16(b, mapLength);
    b.append(char(mapEntryBits));
    Put16(b, 0);
    Put16(b, 0);
    Put16(b, width);
    Put16(b, height);
    b.append(char(depth));
    b.append(char(descriptor));
    return b + body;
}

inline QByteArray Encoded(const QImage& image, const char* format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

// One frame of a GIF: its rectangle, indexes, control block values.
struct GifFrame
{
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<uint8_t> indexes;  // width x height
    int delay = 0;                 // centiseconds
    int disposal = 0;
    int transparent = -1;
    bool interlaced = false;
};

inline int GifWrite(GifFileType* gif, const GifByteType* bytes, int count)
{
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(bytes), count);
    return count;
}

// A GIF89a with a global colour table of `colours` (0xRRGGBB each).
inline QByteArray Gif(int screenWidth, int screenHeight, const std::vector<uint32_t>& colours,
                      const std::vector<GifFrame>& frames)
{
    QByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, GifWrite, &error);
    int size = 2;
    while (size < int(colours.size()))
        size *= 2;
    std::vector<GifColorType> table(size_t(size), GifColorType{0, 0, 0});
    for (size_t i = 0; i < colours.size(); ++i)
        table[i] = GifColorType{GifByteType(colours[i] >> 16), GifByteType(colours[i] >> 8), GifByteType(colours[i])};
    ColorMapObject* map = GifMakeMapObject(size, table.data());
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, screenWidth, screenHeight, 8, 0, map);
    for (const GifFrame& f : frames) {
        GraphicsControlBlock control{};
        control.DisposalMode = f.disposal;
        control.DelayTime = f.delay;
        control.TransparentColor = f.transparent;
        GifByteType extension[4];
        const size_t length = EGifGCBToExtension(&control, extension);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension);
        EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlaced, nullptr);
        // Rows go out in the order the file stores them.
        std::vector<int> order;
        if (f.interlaced) {
            const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int y = start[pass]; y < f.height; y += step[pass])
                    order.push_back(y);
        } else {
            for (int y = 0; y < f.height; ++y)
                order.push_back(y);
        }
        for (int y : order) {
            std::vector<GifPixelType> line(f.indexes.begin() + y * f.width, f.indexes.begin() + (y + 1) * f.width);
            EGifPutLine(gif, line.data(), f.width);
        }
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

inline bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// A picture of one colour (pixel value, B in the low byte).
inline QImage SolidImage(int width, int height, uint32_t argb)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(argb);
    return image;
}

}  // namespace fixtures
