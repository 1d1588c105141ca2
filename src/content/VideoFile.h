#pragma once

#include "model/Picture.h"

#include <QString>

#include <memory>

// The first video stream of a video file, decoded frame by frame into
// 32-bit pictures through FFmpeg: any container and codec it opens. Frames
// keep their alpha where the codec carries one, else they are opaque.
class CVideoFile
{
public:
    enum OpenResult : int { kOpened = 0, kOpenFailed = 1, kNotDecodable = 2 };

    CVideoFile();
    ~CVideoFile();
    CVideoFile(const CVideoFile&) = delete;
    CVideoFile& operator=(const CVideoFile&) = delete;

    // Opens the file and the decoder of its first video stream. Frames of
    // more than maxPixels pixels are refused by the decoder itself.
    int Open(const QString& path, int64_t maxPixels);
    // The stream's frame size and timing: a frame lasts scale / rate seconds.
    int width = 0;
    int height = 0;
    int64_t rate = 0;
    int64_t scale = 0;
    int64_t length = 0;  // frames as the container states them; 0 = not stated
    bool hasAlpha = false;
    // scale x 1000 / rate, at least 1.
    int FrameDurationMs() const;

    // 1 with the next frame in picture, 0 at the end of the stream, -1 when
    // decoding failed.
    int ReadFrame(CPicture& picture);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// File names imported as videos rather than pictures (by the extension,
// lower case, with the dot).
bool IsVideoExtension(const QString& extension);
