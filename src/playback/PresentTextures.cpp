// The texture steps of presenting an object. Solid backgrounds are complete;
// picture backgrounds follow the animation frame rule and upload frames held
// uncompressed. Compressed frames, the re-import of linked image files and
// the text ring writer come with picture decoding and text rendering.
#include "model/Frame.h"

#include "app/Log.h"
#include "playback/AnimationFrame.h"
#include "playback/TextureDevice.h"

#include <algorithm>
#include <array>

namespace {

constexpr int kSolidTextureSize = 8;

// A COLORREF with alpha on top (red lowest) as a B, G, R, A texel.
uint32_t SolidTexel(uint32_t colour)
{
    const uint32_t red = colour & 0xFFu;
    const uint32_t green = (colour >> 8) & 0xFFu;
    const uint32_t blue = (colour >> 16) & 0xFFu;
    return (colour & 0xFF000000u) | red << 16 | green << 8 | blue;
}

// The texels of a frame kept in raw form, or null.
const uint32_t* RawTexels(const CCompressedPicture& picture, int width, int height)
{
    const qsizetype needed = qsizetype(width) * height * 4;
    if (picture.compressedSize != -1 || picture.width != width || picture.height != height ||
        picture.data.size() < needed)
        return nullptr;
    return reinterpret_cast<const uint32_t*>(picture.data.constData());
}

}  // namespace

int CFrame::InitBackground()
{
    WriteLog(kLogLifecycle, "CFrame::InitBackground() called");
    if (!linkImageFile)
        return 1;
    const int result = backgroundFrames.empty() ? 0 : 1;
    WriteLog(kLogLifecycle, "CFrame::InitBackground() = %d", result);
    return result;
}

int CFrame::PrepareBackgroundTexture(CTextureDevice* device)
{
    const bool solid = backgroundType == kBackgroundSolid;
    if (!solid && backgroundFrames.empty()) {
        // A linked image that is not loaded yet.
        if (!InitBackground()) {
            backgroundError.exchange(1);
            return 0;
        }
        backgroundError.exchange(0);
    }
    bool created = false;
    if (!backgroundTexture) {
        if (!device)
            return 0;
        backgroundTexture = solid ? device->CreateTexture(kSolidTextureSize, kSolidTextureSize)
                                  : device->CreateTexture(backgroundWidth, backgroundHeight);
        if (!backgroundTexture)
            return 0;
        created = true;
    }
    if (solid) {
        if (!created)
            return 1;
        std::array<uint32_t, kSolidTextureSize * kSolidTextureSize> texels;
        texels.fill(SolidTexel(backgroundColor));
        return device->WriteTexture(*backgroundTexture, CRect{0, 0, kSolidTextureSize, kSolidTextureSize},
                                    texels.data(), kSolidTextureSize);
    }

    const int t = elapsed.load(std::memory_order_relaxed);
    const int target = ChooseAnimationFrame(backgroundFrames, animationFrame, animationFrameStart, t, startDelay,
                                            loopAnimation != 0);
    if (target == animationFrame)
        return 1;
    animationFrame = target;
    // A frame chosen during the start delay is timed from the delay's end.
    animationFrameStart = std::max(0, t - startDelay);
    const uint32_t* texels = RawTexels(backgroundFrames[size_t(target)].picture, backgroundWidth, backgroundHeight);
    if (!texels || !device)
        return 1;
    return device->WriteTexture(*backgroundTexture, CRect{0, 0, backgroundWidth, backgroundHeight}, texels,
                                backgroundWidth);
}

int CFrame::PrepareTextTexture(CTextureDevice* device)
{
    if (!textTexture) {
        if (!device)
            return 0;
        textTexture = device->CreateTexture(textTextureWidth, textTextureHeight);
        if (!textTexture)
            return 0;
    }
    return 1;
}
