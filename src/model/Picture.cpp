#include "model/Picture.h"

#include <algorithm>
#include <cstring>

namespace {

// Clips a rectangle to 0..limitX x 0..limitY; false when nothing remains.
bool ClipRect(int& x, int& y, int& w, int& h, int limitX, int limitY)
{
    if (x < 0) {
        w += x;
        x = 0;
    }
    if (y < 0) {
        h += y;
        y = 0;
    }
    w = std::min(w, limitX - x);
    h = std::min(h, limitY - y);
    return w > 0 && h > 0;
}

inline uint32_t Channel(uint32_t pixel, int shift)
{
    return (pixel >> shift) & 0xFFu;
}

}  // namespace

void CPicture::Resize(int newWidth, int newHeight)
{
    width = std::max(0, newWidth);
    height = std::max(0, newHeight);
    pixels.resize(PixelCount());
}

void CPicture::CropFrom(int newWidth, int newHeight, const CPicture& source)
{
    Resize(newWidth, newHeight);
    const int copyWidth = std::min(width, source.width);
    const int copyHeight = std::min(height, source.height);
    for (int y = 0; y < height; ++y) {
        uint32_t* row = Row(y);
        int copied = 0;
        if (y < copyHeight && copyWidth > 0) {
            std::memcpy(row, source.Row(y), static_cast<size_t>(copyWidth) * 4);
            copied = copyWidth;
        }
        std::fill(row + copied, row + width, 0u);
    }
}

void CPicture::Fill(int rows, uint32_t colour, int columns, int x, int y)
{
    int w = columns == 0 ? width : columns;
    int h = rows == 0 ? height : rows;
    if (!ClipRect(x, y, w, h, width, height))
        return;
    const uint32_t value = PixelOfColour(colour);
    for (int row = y; row < y + h; ++row)
        std::fill_n(Row(row) + x, w, value);
}

void CPicture::Blit(const CPicture& source, int x, int y, int w, int h, int sourceX, int sourceY, int mode)
{
    if (mode != 0 && mode != 1)
        return;
    // Clip at the left and top of both pictures, moving the other corner along.
    const int leftCut = std::max({0, -x, -sourceX});
    const int topCut = std::max({0, -y, -sourceY});
    x += leftCut;
    sourceX += leftCut;
    w -= leftCut;
    y += topCut;
    sourceY += topCut;
    h -= topCut;
    w = std::min({w, width - x, source.width - sourceX});
    h = std::min({h, height - y, source.height - sourceY});
    if (w <= 0 || h <= 0)
        return;
    for (int row = 0; row < h; ++row) {
        const uint32_t* from = source.Row(sourceY + row) + sourceX;
        uint32_t* to = Row(y + row) + x;
        if (mode == 0) {
            std::memcpy(to, from, static_cast<size_t>(w) * 4);
            continue;
        }
        for (int i = 0; i < w; ++i) {
            const uint32_t s = from[i];
            const uint32_t a = s >> 24;
            if (a == 0)
                continue;
            const uint32_t d = to[i];
            uint32_t result = std::max(d >> 24, a) << 24;
            for (int shift = 0; shift < 24; shift += 8)
                result |= ((Channel(s, shift) * a + Channel(d, shift) * (255 - a)) / 255) << shift;
            to[i] = result;
        }
    }
}

void CPicture::StretchFrom(const CPicture& source, int w, int h)
{
    w = std::min(w, width);
    h = std::min(h, height);
    if (w <= 0 || h <= 0 || source.IsEmpty())
        return;
    std::vector<int> sourceColumn(static_cast<size_t>(w));
    for (int x = 0; x < w; ++x)
        sourceColumn[static_cast<size_t>(x)] = static_cast<int>(int64_t(x) * source.width / w);
    for (int y = 0; y < h; ++y) {
        const uint32_t* from = source.Row(static_cast<int>(int64_t(y) * source.height / h));
        uint32_t* to = Row(y);
        for (int x = 0; x < w; ++x)
            to[x] = from[sourceColumn[static_cast<size_t>(x)]];
    }
}

void CPicture::CombineBlackWhite(const CPicture& white, const CPicture& black, int opacity)
{
    const int w = std::min(white.width, black.width);
    const int h = std::min(white.height, black.height);
    Resize(w, h);
    for (int y = 0; y < h; ++y) {
        const uint32_t* wRow = white.Row(y);
        const uint32_t* kRow = black.Row(y);
        uint32_t* out = Row(y);
        for (int x = 0; x < w; ++x) {
            const uint32_t kp = kRow[x], wp = wRow[x];
            const int sumK = int(Channel(kp, 0) + Channel(kp, 8) + Channel(kp, 16));
            const int sumW = int(Channel(wp, 0) + Channel(wp, 8) + Channel(wp, 16));
            // White minus black is how much background shows through.
            const uint32_t c = uint32_t(std::clamp((sumK - sumW + 765) / 3, 0, 255));
            if (c == 0) {
                out[x] = 0;
                continue;
            }
            uint32_t result = (opacity == 255 ? c : uint32_t(opacity) * c / 255) << 24;
            for (int shift = 0; shift < 24; shift += 8) {
                const uint32_t k = Channel(kp, shift), wc = Channel(wp, shift);
                const uint32_t value = k * 256 / (k + 256 - wc);  // wc <= 255: never 0
                result |= std::min(value, 255u) << shift;
            }
            out[x] = result;
        }
    }
}

void CPicture::Checkerboard()
{
    for (int y = 0; y < height; ++y) {
        uint32_t* row = Row(y);
        for (int x = 0; x < width; ++x)
            row[x] = ((x >> 4) + (y >> 4)) & 1 ? 0xFFA0A0A0u : 0xFF707070u;
    }
}

void CPicture::AddToChannels(int delta, const CRect& area)
{
    int x = area.left, y = area.top, w = area.Width(), h = area.Height();
    if (!ClipRect(x, y, w, h, width, height))
        return;
    // One table for the three channels keeps the inner loop free of branches.
    uint8_t table[256];
    for (int v = 0; v < 256; ++v)
        table[v] = static_cast<uint8_t>(std::clamp(v + delta, 0, 255));
    for (int row = y; row < y + h; ++row) {
        uint32_t* p = Row(row) + x;
        for (int i = 0; i < w; ++i) {
            const uint32_t v = p[i];
            p[i] = (v & 0xFF000000u) | (uint32_t(table[Channel(v, 16)]) << 16) | (uint32_t(table[Channel(v, 8)]) << 8)
                   | table[Channel(v, 0)];
        }
    }
}

void CPicture::HalveSize()
{
    CPicture half(width / 2, height / 2);
    for (int y = 0; y < half.height; ++y) {
        const uint32_t* top = Row(2 * y);
        const uint32_t* bottom = Row(2 * y + 1);
        uint32_t* out = half.Row(y);
        for (int x = 0; x < half.width; ++x) {
            const uint32_t a = top[2 * x], b = top[2 * x + 1], c = bottom[2 * x], d = bottom[2 * x + 1];
            uint32_t result = 0;
            for (int shift = 0; shift < 32; shift += 8)
                result |= ((Channel(a, shift) + Channel(b, shift) + Channel(c, shift) + Channel(d, shift)) >> 2) << shift;
            out[x] = result;
        }
    }
    half.frameCount = frameCount;
    half.frameDelay = frameDelay;
    *this = std::move(half);
}
