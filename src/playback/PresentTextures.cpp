// The texture steps of presenting an object: picture backgrounds follow the
// animation frame rule and upload a frame only when it changes; text is
// overwritten for fixed objects and written into a ring ahead of the part on
// display for moving ones.
#include "model/Frame.h"

#include "app/Log.h"
#include "playback/AnimationFrame.h"
#include "playback/TextureDevice.h"

#include <algorithm>
#include <array>
#include <vector>

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

namespace {

// Transparent black texels that zero-filled areas are written from, band by band.
constexpr int kZeroTexels = 32768;

int WriteZeros(CTextureDevice& device, CDeviceTexture& texture, const CRect& area)
{
    static const std::vector<uint32_t> zeros(kZeroTexels, 0u);
    if (area.IsEmpty())
        return 1;
    const int width = area.Width();
    const int rowsPerBand = std::max(1, kZeroTexels / width);
    for (int y = area.top; y < area.bottom; y += rowsPerBand) {
        const CRect band{area.left, y, area.right, std::min(area.bottom, y + rowsPerBand)};
        if (!device.WriteTexture(texture, band, zeros.data(), width))
            return 0;
    }
    return 1;
}

}  // namespace

int CFrame::WriteTextPiece(CTextureDevice& device, int destStart, int count, int sourceStart)
{
    CDeviceTexture& texture = *textTexture;
    const int textureWidth = texture.Width();
    const int textureHeight = texture.Height();
    if (movement == kMovementScroll) {
        // All rows of the chunk (up to the texture's height); zeros below.
        const int top = std::max(chunkRect.top, 0);
        const int rows = std::min({chunkRect.Height(), textureHeight, chunkPicture.height - top});
        if (rows > 0 && count > 0 &&
            !device.WriteTexture(texture, CRect{destStart, 0, destStart + count, rows},
                                 chunkPicture.Row(top) + sourceStart, chunkPicture.width))
            return 0;
        return WriteZeros(device, texture, CRect{destStart, std::max(rows, 0), destStart + count, textureHeight});
    }
    // Roll: all columns of the chunk (up to the texture's width); zeros right of them.
    const int left = std::max(chunkRect.left, 0);
    const int columns = std::min({chunkRect.Width(), textureWidth, chunkPicture.width - left});
    if (columns > 0 && count > 0 &&
        !device.WriteTexture(texture, CRect{0, destStart, columns, destStart + count},
                             chunkPicture.Row(sourceStart) + left, chunkPicture.width))
        return 0;
    return WriteZeros(device, texture, CRect{std::max(columns, 0), destStart, textureWidth, destStart + count});
}

int CFrame::PrepareTextTexture(CTextureDevice* device)
{
    const void* self = this;
    if (!textTexture) {
        if (!device)
            return 0;
        textTexture = device->CreateTexture(textTextureWidth, textTextureHeight);
        if (!textTexture) {
            WriteLog(kLogFailure, "CFrame::PrepareTextTexture(%08X): no %d x %d texture", LogAddress(self),
                     textTextureWidth, textTextureHeight);
            return 0;
        }
    }
    if (!chunkReady.load() || !device)
        return 1;

    const bool scroll = movement == kMovementScroll;
    const bool roll = movement == kMovementRoll;
    if (!scroll && !roll) {
        // Fixed text: the chunk, cut to the object, over transparency.
        const int width = std::min({chunkRect.Width(), textTextureWidth, chunkPicture.width - chunkRect.left});
        const int height = std::min({chunkRect.Height(), textTextureHeight, chunkPicture.height - chunkRect.top});
        int ok = 1;
        if (width > 0 && height > 0)
            ok = device->WriteTexture(*textTexture, CRect{0, 0, width, height},
                                      chunkPicture.Row(chunkRect.top) + chunkRect.left, chunkPicture.width);
        ok = ok && WriteZeros(*device, *textTexture, CRect{std::max(width, 0), 0, textTextureWidth, std::max(height, 0)});
        ok = ok && WriteZeros(*device, *textTexture, CRect{0, std::max(height, 0), textTextureWidth, textTextureHeight});
        if (!ok) {
            WriteLog(kLogFailure, "CFrame::PrepareTextTexture(%08X): WriteTexture() failed", LogAddress(self));
            return 0;
        }
        textCopied = 1;
        chunkReady.exchange(0);
        noMoreChunks.store(1);
        return 1;
    }

    // Moving text: the texture is a ring. The writer fills it from its write
    // position up to the reader's mark, never past text still on display,
    // and only once at least moveLead of it is free.
    const int ring = scroll ? textTextureWidth : textTextureHeight;
    const int extent = scroll ? rect.Width() : rect.Height();
    if (ring <= 0)
        return 1;
    int& writePosition = scroll ? textWriteRect.left : textWriteRect.top;
    int& chunkStart = scroll ? chunkRect.left : chunkRect.top;
    const int chunkEnd = scroll ? chunkRect.right : chunkRect.bottom;
    const bool mirrored = reverse != 0;
    auto freeSpace = [&] { return static_cast<long long>(ring) + scrollPosition - textCopied; };
    auto roomToWrite = [&] {
        const long long free = freeSpace();
        return textCopied == 0 || (free >= moveLead && free > 0);
    };
    auto failed = [&] {
        WriteLog(kLogFailure, "CFrame::PrepareTextTexture(%08X): WriteTexture() failed", LogAddress(self));
        return 0;
    };

    while (chunkReady.load() && roomToWrite()) {
        WriteLog(kLogDetail, "CFrame::PrepareTextTexture(%08X): on display: %d, copied: %d", LogAddress(self),
                 scrollPosition, textCopied);
        const int readPosition = scroll ? textWriteRect.right : textWriteRect.bottom;
        writePosition = std::clamp(writePosition, 0, ring - 1);
        const int destinationEnd = writePosition < readPosition ? std::min(readPosition, ring) : ring;
        const long long room = std::min<long long>(destinationEnd - writePosition, freeSpace());
        const int n = static_cast<int>(std::max<long long>(0, std::min<long long>(chunkEnd - chunkStart, room)));
        if (n > 0) {
            // With reverse, columns (rows) are counted from the right (bottom)
            // edge of both the chunk and the texture.
            const int destination = mirrored ? ring - writePosition - n : writePosition;
            const int source = mirrored ? chunkEnd - chunkStart - n : chunkStart;
            if (!WriteTextPiece(*device, destination, n, source))
                return failed();
            if (roll && !mirrored)
                WriteLog(kLogDetail, "CFrame::PrepareTextTexture(%08X): copied: %d lines from %d-%d to %d-%d",
                         LogAddress(self), n, source, source + n, destination, destination + n);
            textCopied += n;
            chunkStart += n;
            writePosition = (writePosition + n) % ring;
        }
        if (chunkStart < chunkEnd) {
            if (n == 0)
                break;  // the ring is full up to the reader
            continue;
        }

        // The chunk is used up.
        chunkReady.exchange(0);
        if (!noMoreChunks.load())
            break;
        if (loop) {
            if (chunksRendered.load() == 1 && (textSource == kSourceObjectText || textSource == kSourceClock) &&
                chunkEnd > 0) {
                // A one-chunk text follows itself at once.
                chunkStart = 0;
                chunkReady.exchange(1);
            } else if (sourceReady.load()) {
                // The text thread looks at the source again and renders the
                // text anew from its start, right behind this one.
                sourceCheckDue.exchange(1);
                chunkPosition.store(0);
                noMoreChunks.store(0);
            }
        } else if (textCopied < extent) {
            // Transparent padding, so that a short text scrolls out completely.
            const int padding = std::min(extent - textCopied, ring - writePosition);
            const int destination = mirrored ? ring - writePosition - padding : writePosition;
            const CRect area = scroll ? CRect{destination, 0, destination + padding, textTextureHeight}
                                      : CRect{0, destination, textTextureWidth, destination + padding};
            if (padding > 0 && !WriteZeros(*device, *textTexture, area))
                return failed();
            textCopied += padding;
            writePosition = (writePosition + padding) % ring;
        }
    }
    return 1;
}
