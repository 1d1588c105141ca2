#pragma once

#include "content/PictureDecoder.h"

#include <QString>

#include <memory>

// Results of reading a picture file; 10360 + the result is the message id.
enum PictureLoadResult : int { kPictureLoaded = 0, kPictureOpenFailed = 1, kPictureInvalid = 2 };

// A picture file opened once and read frame by frame, so that the frames
// of an animated GIF are decoded once each when taken in order.
class CPictureFile
{
public:
    CPictureFile();
    ~CPictureFile();

    int Open(const QString& path);
    // Frames in the file (1 for a still picture).
    int FrameCount() const;
    PictureFormat Format() const { return decoder_ ? decoder_->Format() : PictureFormat::Unknown; }
    // LoadFromFile's steps 2 and 3 for one frame: size, pixels, alpha as
    // useAlpha and the file allow; frameCount and frameDelay for a GIF.
    int Load(int frameIndex, int useAlpha, CPicture& picture);

private:
    std::unique_ptr<CPictureDecoder> decoder_;
};

// The other render of a BMP drawn over white and over black: for "name_W.bmp"
// (W in either case) "name.bmp", else "name_W.bmp". isWhite tells whether
// `path` is the white one.
QString BmpCompanionPath(const QString& path, bool* isWhite);
