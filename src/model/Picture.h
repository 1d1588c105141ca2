#pragma once

#include "model/Rect.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class QString;

// A 32-bit picture: rows top to bottom, each pixel blue in bits 0-7, green
// 8-15, red 16-23 and alpha 24-31 (bytes B, G, R, A in memory); straight,
// not premultiplied colour. Copies are deep. Rectangles handed to the
// operations are clipped to the pictures involved, so no operation touches
// memory outside a buffer whatever its arguments.
class CPicture
{
public:
    // The largest side any picture may have; sizes from files are checked
    // against it before anything is allocated.
    static constexpr int kMaxSide = 32000;

    CPicture() = default;
    CPicture(int width, int height) { Resize(width, height); }
    CPicture(const CPicture&) = default;
    CPicture(CPicture&&) noexcept = default;
    CPicture& operator=(const CPicture&) = default;
    CPicture& operator=(CPicture&&) noexcept = default;
    virtual ~CPicture() = default;

    // A buffer of this size; the contents are undefined. Negative sizes count as 0.
    void Resize(int width, int height);
    // This picture becomes the top-left width x height pixels of source;
    // whatever lies beyond the source is transparent black.
    void CropFrom(int width, int height, const CPicture& source);
    // Fills the rectangle of `columns` x `rows` at (x, y); 0 columns or rows
    // mean the full width or height. colour is a colour reference (red in
    // bits 0-7) with alpha on top; it is stored with red and blue exchanged.
    void Fill(int rows, uint32_t colour, int columns = 0, int x = 0, int y = 0);
    // Copies (mode 0) or blends (mode 1) the width x height rectangle of
    // source at (sourceX, sourceY) to (x, y). Blending: per source pixel
    // with alpha a > 0, colour = (source * a + destination * (255 - a)) / 255
    // and alpha = max(destination alpha, a). Other modes do nothing.
    void Blit(const CPicture& source, int x, int y, int width, int height, int sourceX, int sourceY, int mode);
    // Nearest-neighbour scaling of the whole source into the top-left
    // width x height of this picture.
    void StretchFrom(const CPicture& source, int width, int height);
    // Recovers colour and alpha from two renders of the same content, over
    // white and over black; this picture takes the size both renders share.
    void CombineBlackWhite(const CPicture& white, const CPicture& black, int opacity);
    // The editor's checkered background: 16 x 16 squares of 0xFF707070 and
    // 0xFFA0A0A0, the top-left one dark.
    void Checkerboard();
    // Adds delta to blue, green and red inside the rectangle, clamped to 0..255.
    void AddToChannels(int delta, const CRect& area);
    // Half the width and height (rounded down), each channel the mean of a 2 x 2 block.
    void HalveSize();
    // Decodes a picture file, recognised by its content (content/PictureFile.cpp).
    // frameIndex -1 reads the whole file (its first frame, with frameCount
    // and frameDelay); otherwise that frame alone. Alpha is kept only with
    // useAlpha. Returns 0, 1 when the file cannot be read or 2 when it cannot
    // be decoded; the picture is empty then.
    int LoadFromFile(const QString& path, int useAlpha, int frameIndex);

    bool IsEmpty() const { return width <= 0 || height <= 0; }
    uint32_t* Row(int y) { return pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width); }
    const uint32_t* Row(int y) const { return pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width); }
    size_t PixelCount() const { return static_cast<size_t>(width) * static_cast<size_t>(height); }
    size_t RawSize() const { return PixelCount() * 4; }

    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    int frameCount = 0;  // frames in the file it came from (multi-frame GIF), else 0
    int frameDelay = 0;  // ms between those frames, else 0
};

// The pixel value of a colour reference with alpha on top (red in bits
// 0-7): red and blue exchanged.
constexpr uint32_t PixelOfColour(uint32_t colour)
{
    return (colour & 0xFF00FF00u) | ((colour & 0xFFu) << 16) | ((colour >> 16) & 0xFFu);
}
