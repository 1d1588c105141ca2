#pragma once

#include "model/Picture.h"

#include <QByteArray>

#include <memory>

// Picture file formats, told apart by their content, never by the name.
enum class PictureFormat { Unknown, Bmp, Gif, Jpeg, Png, Tga };

PictureFormat DetectPictureFormat(const uint8_t* data, size_t size);

// One picture file held in memory and decoded frame by frame into 32-bit
// pictures (B, G, R, A, rows top-down). BMP and TGA are read by our own
// code; PNG, JPEG and GIF through libpng, libjpeg-turbo and giflib. Every
// size a file declares is checked against kMaxPixels before anything of that
// size is allocated, and anything malformed, truncated or out of range makes
// the frame fail instead of being guessed at.
class CPictureDecoder
{
public:
    // The largest picture a file may declare (a 7680 x 4320 still fits).
    static constexpr int64_t kMaxPixels = 40'000'000;
    // Files larger than this are not read at all (the largest picture
    // stored uncompressed is 160 MB).
    static constexpr int64_t kMaxFileBytes = int64_t(256) << 20;

    explicit CPictureDecoder(QByteArray bytes);
    ~CPictureDecoder();
    CPictureDecoder(const CPictureDecoder&) = delete;
    CPictureDecoder& operator=(const CPictureDecoder&) = delete;

    PictureFormat Format() const { return format_; }
    // Frames in the file: more than 1 only for an animated GIF; 0 when the
    // file is not a picture we read.
    int FrameCount() const { return frameCount_; }

    struct Frame
    {
        CPicture picture;
        bool hasAlpha = false;  // the file carries transparency for this frame
        int delayMs = 0;        // GIF: the frame's delay, else 0
    };
    // Decodes frame `index`. Frames of a GIF are composed on one canvas as
    // browsers do (disposal, transparency), so asking for them in increasing
    // order costs one decode each; going back starts over. Returns 1, or 0
    // when the frame cannot be decoded (frame is then empty).
    int Decode(int index, Frame& frame);

    struct GifState;

private:
    QByteArray bytes_;
    PictureFormat format_ = PictureFormat::Unknown;
    int frameCount_ = 0;
    std::unique_ptr<GifState> gif_;
};

// Our own readers, also used by the tests on bytes they build.
int DecodeBmp(const uint8_t* data, size_t size, CPictureDecoder::Frame& frame);
int DecodeTga(const uint8_t* data, size_t size, CPictureDecoder::Frame& frame);
