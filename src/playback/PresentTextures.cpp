// The texture steps of presenting an object. Picture backgrounds follow the
// animation frame rule and upload a frame only when it changes.
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

}  // namespace

int CFrame::PrepareBackgroundTexture(CTextureDevice* device)
{
    const bool solid = backgroundType == kBackgroundSolid;
    if (!solid && backgroundFrames.empty()) {
        // A linked image that is not loaded yet (or a picture object
        // without frames, which has nothing to show).
        if (!InitBackground() || backgroundFrames.empty()) {
            backgroundError.exchange(1);
            return 0;
        }
        backgroundError.exchange(0);
    }
    bool created = false;
    if (!backgroundTexture) {
        if (!device)
            return 0;
        backgroundTexture = solid ? CreateTexture(device, kSolidTextureSize, kSolidTextureSize)
                                  : CreateTexture(device, backgroundWidth, backgroundHeight);
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
    // A texture made just now is filled even when the frame stays the same.
    if (target == animationFrame && !created)
        return 1;
    if (target != animationFrame) {
        animationFrame = target;
        // A frame chosen during the start delay is timed from the delay's end.
        animationFrameStart = std::max(0, t - startDelay);
    }
    if (!device)
        return 1;
    const CCompressedPicture& picture = backgroundFrames[size_t(target)].picture;
    if (picture.width != backgroundWidth || picture.height != backgroundHeight)
        return 1;
    const CRect whole{0, 0, backgroundWidth, backgroundHeight};
    if (device->CanLock()) {
        CLockedTexels locked;
        if (!device->LockTexture(*backgroundTexture, &locked)) {
            WriteLog(kLogFailure, "CFrame::PrepareBackgroundTexture(): LockTexture() failed");
            return 0;
        }
        // Expanded straight into the texture where its rows are packed,
        // else through the render thread's frame buffer.
        if (locked.pitch == backgroundWidth * 4) {
            picture.DecompressTo(reinterpret_cast<uint32_t*>(locked.bits), backgroundWidth);
        } else {
            picture.Decompress(framePicture);
            CopyToLockedTexture(framePicture, whole, whole, locked);
        }
        if (!device->UnlockTexture(*backgroundTexture)) {
            WriteLog(kLogFailure, "CFrame::PrepareBackgroundTexture(): UnlockTexture() failed");
            return 0;
        }
        return 1;
    }
    // A frame kept raw goes up as it is; a compressed one is expanded into
    // the render thread's frame buffer, which keeps its size between frames.
    const uint32_t* texels = picture.pixels.data();
    if (picture.compressedSize != CCompressedPicture::kRaw) {
        picture.Decompress(framePicture);
        texels = framePicture.pixels.data();
    } else if (picture.pixels.size() < picture.PixelCount()) {
        return 1;
    }
    return device->WriteTexture(*backgroundTexture, whole, texels, backgroundWidth);
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
