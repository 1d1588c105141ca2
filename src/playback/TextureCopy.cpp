#include "playback/TextureDevice.h"

#include "model/Picture.h"

#include <algorithm>
#include <cstring>

void CopyToLockedTexture(const CPicture& picture, const CRect& source, const CRect& destination,
                         const CLockedTexels& locked)
{
    const int width = std::max(0, std::min(source.Width(), destination.Width()));
    const int rows = std::max(0, std::min(source.Height(), destination.Height()));
    const int fill = std::max(0, destination.Width() - width);
    auto row = [&](int y) {
        return reinterpret_cast<uint32_t*>(locked.bits + ptrdiff_t(y) * locked.pitch) + destination.left;
    };
    for (int y = 0; y < rows; ++y) {
        uint32_t* out = row(destination.top + y);
        std::memcpy(out, picture.Row(source.top + y) + source.left, size_t(width) * 4);
        std::fill_n(out + width, fill, 0u);
    }
    for (int y = destination.top + rows; y < destination.bottom; ++y)
        std::fill_n(row(y), std::max(0, destination.Width()), 0u);
}
