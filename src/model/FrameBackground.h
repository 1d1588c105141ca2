#pragma once

#include "model/CompressedPicture.h"

#include <utility>
#include <vector>

class CPicture;

// One background frame of an object: its pixels, kept compressed, and how
// long an animation shows it. Copies are deep.
class CFrameBackground
{
public:
    static constexpr int kDefaultDurationMs = 20;

    CFrameBackground() = default;
    CFrameBackground(CCompressedPicture picture, int duration)
        : picture(std::move(picture)), duration(duration)
    {
    }
    CFrameBackground(const CFrameBackground&) = default;
    CFrameBackground(CFrameBackground&&) noexcept = default;
    CFrameBackground& operator=(const CFrameBackground&) = default;
    CFrameBackground& operator=(CFrameBackground&&) noexcept = default;
    virtual ~CFrameBackground() = default;

    CCompressedPicture picture;
    int duration = kDefaultDurationMs;
};

// Stores the picture as the next of `frames`, or adds the duration to the
// last frame when the picture is the same. The first frame sets the common
// size width x height (at most maxWidth x maxHeight, at least 16 x 16);
// later pictures are cropped to it. 0 when `frames` holds 1000 already.
int AppendBackgroundFrame(std::vector<CFrameBackground>& frames, int& width, int& height, int maxHeight,
                          const CPicture& picture, int maxWidth, int duration);
