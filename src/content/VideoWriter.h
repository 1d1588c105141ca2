#pragma once

#include <QString>

#include <memory>

class CPicture;

// Writes pictures as the frames of a video file through FFmpeg. The codec
// follows the file name: ".mov" QuickTime Animation (RLE with alpha), ".mkv"
// and ".avi" FFV1 with alpha; any other extension is refused. Frames are
// straight (not premultiplied) B,G,R,A pictures of the size given to Open.
class CVideoWriter
{
public:
    CVideoWriter();
    ~CVideoWriter();
    CVideoWriter(const CVideoWriter&) = delete;
    CVideoWriter& operator=(const CVideoWriter&) = delete;

    // True when the extension of path names a format Open can write.
    static bool CanWrite(const QString& path);

    // Starts a file of width x height at rateNumerator / rateDenominator
    // frames per second. The file is written beside its final name and
    // replaces an existing one only when Close succeeds.
    bool Open(const QString& path, int width, int height, int rateNumerator, int rateDenominator);
    bool WriteFrame(const CPicture& picture);
    // Flushes the encoder and finishes the file; false when anything failed.
    bool Close();
    // Why the last call failed.
    QString Error() const { return error_; }

private:
    // Drops an unfinished file.
    void Discard();
    struct Impl;
    std::unique_ptr<Impl> impl_;
    QString error_;
};
