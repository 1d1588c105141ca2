#pragma once

#include "model/CompressedPicture.h"

#include <utility>

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
