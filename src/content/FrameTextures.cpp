// The texture steps of presenting an object: picture backgrounds follow the
// animation frame rule and upload a frame only when it changes; text is
// overwritten for fixed objects and written into a ring ahead of the part on
// display for moving ones.
#include "content/FrameTextures.h"

#include "app/Log.h"
#include "content/FrameLinkedImage.h"
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

std::unique_ptr<IObjectTexture> CFrameTextures::CreateTexture(ITextureDevice* device, int width, int height)
{
    if (!device)
        return nullptr;
    std::unique_ptr<IObjectTexture> texture = device->CreateTexture(width, height);
    if (!texture) {
        WriteLog(kLogFailure, "CFrame::CreateTexture(): CreateTexture(%d, %d) failed", width, height);
        return nullptr;
    }
    if (texture->Width() != width || texture->Height() != height) {
        WriteLog(kLogFailure, "CFrame::CreateTexture(): incorrect texture size: %dx%d, should be: %dx%d",
                 texture->Width(), texture->Height(), width, height);
        return nullptr;
    }
    return texture;
}


int CFrameTextures::PrepareBackgroundTexture(ITextureDevice* device)
{
    const bool solid = o_.backgroundType == kBackgroundSolid;
    if (o_.backgroundSwapDue && CFrameLinkedImage(o_).SwapIn() >= 0)
        o_.backgroundSwapDue = 0;
    if (!solid && o_.backgroundFrames.empty()) {
        // A linked image that gave no frames when the object was played,
        // unless the text thread has imported it since (or a picture object
        // without frames, which has nothing to show). The file is never
        // read here.
        const int swapped = o_.linkImageFile ? CFrameLinkedImage(o_).SwapIn() : 0;
        if (swapped < 0) {
            o_.backgroundSwapDue = 1;
            return 1;  // nothing to draw in this frame
        }
        if (o_.backgroundFrames.empty()) {
            o_.backgroundError.exchange(1);
            return 0;
        }
        o_.backgroundError.exchange(0);
    }
    bool created = false;
    if (!o_.backgroundTexture) {
        if (!device)
            return 0;
        o_.backgroundTexture = solid ? CreateTexture(device, kSolidTextureSize, kSolidTextureSize)
                                  : CreateTexture(device, o_.backgroundWidth, o_.backgroundHeight);
        if (!o_.backgroundTexture)
            return 0;
        created = true;
    }
    if (solid) {
        if (!created)
            return 1;
        std::array<uint32_t, kSolidTextureSize * kSolidTextureSize> texels;
        texels.fill(SolidTexel(o_.backgroundColor));
        return device->WriteTexture(*o_.backgroundTexture, CRect{0, 0, kSolidTextureSize, kSolidTextureSize},
                                    texels.data(), kSolidTextureSize);
    }

    const int t = o_.elapsed.load(std::memory_order_relaxed);
    const int target = ChooseAnimationFrame(o_.backgroundFrames, o_.animationFrame, o_.animationFrameStart, t, o_.startDelay,
                                            o_.loopAnimation != 0);
    // A texture made just now is filled even when the frame stays the same.
    if (target == o_.animationFrame && !created)
        return 1;
    if (target != o_.animationFrame) {
        o_.animationFrame = target;
        // A frame chosen during the start delay is timed from the delay's end.
        o_.animationFrameStart = std::max(0, t - o_.startDelay);
    }
    if (!device)
        return 1;
    const CCompressedPicture& picture = o_.backgroundFrames[size_t(target)].picture;
    if (picture.width != o_.backgroundWidth || picture.height != o_.backgroundHeight)
        return 1;
    const CRect whole{0, 0, o_.backgroundWidth, o_.backgroundHeight};
    if (device->CanLock()) {
        CLockedTexels locked;
        if (!device->LockTexture(*o_.backgroundTexture, &locked)) {
            WriteLog(kLogFailure, "CFrame::PrepareBackgroundTexture(): LockTexture() failed");
            return 0;
        }
        // Expanded straight into the texture where its rows are packed,
        // else through the render thread's frame buffer.
        if (locked.pitch == o_.backgroundWidth * 4) {
            picture.DecompressTo(reinterpret_cast<uint32_t*>(locked.bits), o_.backgroundWidth);
        } else {
            picture.Decompress(o_.framePicture);
            CopyToLockedTexture(o_.framePicture, whole, whole, locked);
        }
        if (!device->UnlockTexture(*o_.backgroundTexture)) {
            WriteLog(kLogFailure, "CFrame::PrepareBackgroundTexture(): UnlockTexture() failed");
            return 0;
        }
        return 1;
    }
    // A frame kept raw goes up as it is; a compressed one is expanded into
    // the render thread's frame buffer, which keeps its size between frames.
    const uint32_t* texels = picture.pixels.data();
    if (picture.compressedSize != CCompressedPicture::kRaw) {
        picture.Decompress(o_.framePicture);
        texels = o_.framePicture.pixels.data();
    } else if (picture.pixels.size() < picture.PixelCount()) {
        return 1;
    }
    return device->WriteTexture(*o_.backgroundTexture, whole, texels, o_.backgroundWidth);
}

namespace {

// Transparent black texels that zero-filled areas are written from, band by band.
constexpr int kZeroTexels = 32768;

int WriteZeros(ITextureDevice& device, IObjectTexture& texture, const CRect& area)
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

int CFrameTextures::WriteTextPiece(ITextureDevice& device, int destStart, int count, int sourceStart)
{
    IObjectTexture& texture = *o_.textTexture;
    const int textureWidth = texture.Width();
    const int textureHeight = texture.Height();
    if (o_.movement == kMovementScroll) {
        // All rows of the chunk (up to the texture's height); zeros below.
        const int top = std::max(o_.chunkRect.top, 0);
        const int rows = std::min({o_.chunkRect.Height(), textureHeight, o_.chunkPicture.height - top});
        if (rows > 0 && count > 0 &&
            !device.WriteTexture(texture, CRect{destStart, 0, destStart + count, rows},
                                 o_.chunkPicture.Row(top) + sourceStart, o_.chunkPicture.width))
            return 0;
        return WriteZeros(device, texture, CRect{destStart, std::max(rows, 0), destStart + count, textureHeight});
    }
    // Roll: all columns of the chunk (up to the texture's width); zeros right of them.
    const int left = std::max(o_.chunkRect.left, 0);
    const int columns = std::min({o_.chunkRect.Width(), textureWidth, o_.chunkPicture.width - left});
    if (columns > 0 && count > 0 &&
        !device.WriteTexture(texture, CRect{0, destStart, columns, destStart + count},
                             o_.chunkPicture.Row(sourceStart) + left, o_.chunkPicture.width))
        return 0;
    return WriteZeros(device, texture, CRect{std::max(columns, 0), destStart, textureWidth, destStart + count});
}

int CFrameTextures::PrepareTextTexture(ITextureDevice* device)
{
    const void* self = &o_;
    if (!o_.textTexture) {
        if (!device)
            return 0;
        o_.textTexture = device->CreateTexture(o_.textTextureWidth, o_.textTextureHeight);
        if (!o_.textTexture) {
            WriteLog(kLogFailure, "CFrame::PrepareTextTexture(%08X): no %d x %d texture", LogAddress(self),
                     o_.textTextureWidth, o_.textTextureHeight);
            return 0;
        }
    }
    if (!o_.chunkReady.load() || !device)
        return 1;

    const bool scroll = o_.movement == kMovementScroll;
    const bool roll = o_.movement == kMovementRoll;
    if (!scroll && !roll) {
        // Fixed text: the chunk, cut to the object, over transparency.
        const int width = std::min({o_.chunkRect.Width(), o_.textTextureWidth, o_.chunkPicture.width - o_.chunkRect.left});
        const int height = std::min({o_.chunkRect.Height(), o_.textTextureHeight, o_.chunkPicture.height - o_.chunkRect.top});
        int ok = 1;
        if (width > 0 && height > 0)
            ok = device->WriteTexture(*o_.textTexture, CRect{0, 0, width, height},
                                      o_.chunkPicture.Row(o_.chunkRect.top) + o_.chunkRect.left, o_.chunkPicture.width);
        ok = ok && WriteZeros(*device, *o_.textTexture, CRect{std::max(width, 0), 0, o_.textTextureWidth, std::max(height, 0)});
        ok = ok && WriteZeros(*device, *o_.textTexture, CRect{0, std::max(height, 0), o_.textTextureWidth, o_.textTextureHeight});
        if (!ok) {
            WriteLog(kLogFailure, "CFrame::PrepareTextTexture(%08X): WriteTexture() failed", LogAddress(self));
            return 0;
        }
        o_.textCopied = 1;
        // In this order: the text thread takes a clear chunkReady with more
        // chunks to come as the request for the next one (the next CSV row,
        // which is due only when the object starts over).
        o_.noMoreChunks.store(1);
        o_.chunkReady.exchange(0);
        return 1;
    }

    // Moving text: the texture is a ring. The writer fills it from its write
    // position up to the reader's mark, never past text still on display,
    // and only once at least moveLead of it is free.
    const int ring = scroll ? o_.textTextureWidth : o_.textTextureHeight;
    const int extent = scroll ? o_.rect.Width() : o_.rect.Height();
    if (ring <= 0)
        return 1;
    int& writePosition = scroll ? o_.textWriteRect.left : o_.textWriteRect.top;
    int& chunkStart = scroll ? o_.chunkRect.left : o_.chunkRect.top;
    const int chunkEnd = scroll ? o_.chunkRect.right : o_.chunkRect.bottom;
    const bool mirrored = o_.reverse != 0;
    auto freeSpace = [&] { return static_cast<long long>(ring) + o_.scrollPosition - o_.textCopied; };
    auto roomToWrite = [&] {
        const long long free = freeSpace();
        return o_.textCopied == 0 || (free >= o_.moveLead && free > 0);
    };
    auto failed = [&] {
        WriteLog(kLogFailure, "CFrame::PrepareTextTexture(%08X): WriteTexture() failed", LogAddress(self));
        return 0;
    };

    while (o_.chunkReady.load() && roomToWrite()) {
        WriteLog(kLogDetail, "CFrame::PrepareTextTexture(%08X): on display: %d, copied: %d", LogAddress(self),
                 o_.scrollPosition, o_.textCopied);
        const int readPosition = scroll ? o_.textWriteRect.right : o_.textWriteRect.bottom;
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
            o_.textCopied += n;
            chunkStart += n;
            writePosition = (writePosition + n) % ring;
        }
        if (chunkStart < chunkEnd) {
            if (n == 0)
                break;  // the ring is full up to the reader
            continue;
        }

        // The chunk is used up.
        if (!o_.noMoreChunks.load()) {
            o_.chunkReady.exchange(0);
            break;
        }
        if (o_.loop && o_.chunksRendered.load() == 1 && o_.textSource == kSourceObjectText && chunkEnd > 0) {
            // A one-chunk text of its own follows itself at once (a clock is
            // laid out again below, with the time of now). The chunk stays
            // the render thread's all along: were chunkReady clear for a
            // moment, the text thread could start laying out a new chunk
            // over it.
            chunkStart = 0;
            continue;
        }
        o_.chunkReady.exchange(0);
        if (o_.loop) {
            if (o_.sourceReady.load()) {
                // The text thread looks at the source again and renders the
                // text anew from its start, right behind this one (a clock
                // with the time of now).
                o_.sourceCheckDue.exchange(1);
                o_.chunkPosition.store(0);
                o_.noMoreChunks.store(0);
            }
        } else if (o_.textCopied < extent) {
            // Transparent padding, so that a short text scrolls out completely.
            const int padding = std::min(extent - o_.textCopied, ring - writePosition);
            const int destination = mirrored ? ring - writePosition - padding : writePosition;
            const CRect area = scroll ? CRect{destination, 0, destination + padding, o_.textTextureHeight}
                                      : CRect{0, destination, o_.textTextureWidth, destination + padding};
            if (padding > 0 && !WriteZeros(*device, *o_.textTexture, area))
                return failed();
            o_.textCopied += padding;
            writePosition = (writePosition + padding) % ring;
        }
    }
    return 1;
}
