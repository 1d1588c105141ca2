#pragma once

#include "model/Picture.h"

#include <QImage>

// A picture that Qt can paint into: a QImage over the picture's own pixel
// buffer (ARGB32, which is B, G, R, A in memory on this platform), so text
// drawn with QPainter lands directly in `pixels`. Copies are deep and get
// their own image.
class CPictureBMP : public CPicture
{
public:
    CPictureBMP() = default;
    CPictureBMP(int width, int height) { Create(width, height); }
    CPictureBMP(const CPictureBMP& other) : CPicture(other) {}
    CPictureBMP& operator=(const CPictureBMP& other)
    {
        CPicture::operator=(other);
        image_ = QImage();
        return *this;
    }
    ~CPictureBMP() override = default;

    // A buffer of this size with an image over it; contents undefined.
    void Create(int width, int height);
    // The image over the current buffer, made again when the buffer has
    // moved or changed size (after Resize, CropFrom, HalveSize...). Paint
    // only while the picture keeps its size.
    QImage& Image();

private:
    QImage image_;
};
