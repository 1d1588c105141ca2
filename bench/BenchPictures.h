#pragma once

// Test pictures shared by the benchmarks.
#include "model/Picture.h"

#include <random>

namespace benchpictures {

// Typical graphics: a lower third on transparency. A box with a vertical
// gradient (rows of one colour), a logo with a horizontal gradient, white
// "lettering" with soft edges and a drop shadow; everything else transparent.
// `variant` shifts colours and letters so that frames differ.
inline CPicture LowerThird(int width, int height, int variant = 0)
{
    CPicture p(width, height);
    std::fill(p.pixels.begin(), p.pixels.end(), 0u);
    const int top = height * 3 / 4, bottom = top + height / 8;
    const int left = width / 10, right = width * 8 / 10;
    for (int y = top; y < bottom; ++y) {
        uint32_t* row = p.Row(y);
        const uint32_t shade = uint32_t(40 + (y - top) * 100 / (bottom - top) + variant) & 0xFF;
        std::fill(row + left, row + right, 0xE0000000u | shade << 16 | 0x2000u | (shade / 2));
        for (int x = left - height / 8; x < left; ++x)  // the logo
            row[x] = 0xFF000000u | uint32_t((x * 255) / width) << 8 | uint32_t(y & 0xFF);
        // Letters: 24-pixel cells with 3-pixel strokes and one soft edge pixel.
        const int line = (y - top) % 48;
        if (line < 8 || line > 40)
            continue;
        for (int x = left + 20; x < right - 20; ++x) {
            const int cell = (x + variant * 7) % 24;
            const bool stroke = cell < 3 || (line > 22 && line < 26 && cell < 18);
            if (stroke)
                row[x] = 0xFFFFFFFFu;
            else if (cell == 3)
                row[x] = 0xFF808080u;  // antialiased edge
            else if (cell == 4)
                row[x] = 0xFF202020u;  // shadow
        }
    }
    return p;
}

// A noisy photo-like frame: every pixel differs from its neighbour.
inline CPicture Photo(int width, int height, unsigned seed = 1)
{
    CPicture p(width, height);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y) {
        uint32_t* row = p.Row(y);
        for (int x = 0; x < width; ++x)
            row[x] = 0xFF000000u | (uint32_t((x + y) / 8 + (random() & 15)) & 0xFF) << 16
                     | (uint32_t(y / 5 + (random() & 15)) & 0xFF) << 8 | (uint32_t(x / 9 + (random() & 15)) & 0xFF);
    }
    return p;
}

}  // namespace benchpictures
