#pragma once

#include "model/CompressedPicture.h"

// One background frame of an object: its pixels, kept compressed, and how
// long an animation shows it.
class CFrameBackground
{
public:
    static constexpr int kDefaultDurationMs = 20;

    virtual ~CFrameBackground() = default;

    CCompressedPicture picture;
    int duration = kDefaultDurationMs;
};
