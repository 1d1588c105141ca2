#pragma once

#include <cstdint>
#include <vector>

// A 32-bit picture: rows top to bottom, each pixel blue in bits 0-7, green
// 8-15, red 16-23 and alpha 24-31 (bytes B, G, R, A in memory); straight,
// not premultiplied colour.
class CPicture
{
public:
    virtual ~CPicture() = default;

    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    int frameCount = 0;  // frames in the file it came from (multi-frame GIF), else 0
    int frameDelay = 0;  // ms between those frames, else 0
};
