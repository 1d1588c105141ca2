#include "content/PictureBMP.h"

void CPictureBMP::Create(int newWidth, int newHeight)
{
    Resize(newWidth, newHeight);
    image_ = QImage();
    Image();
}

QImage& CPictureBMP::Image()
{
    uchar* bits = reinterpret_cast<uchar*>(pixels.data());
    if (IsEmpty()) {
        image_ = QImage();
    } else if (image_.isNull() || image_.constBits() != bits || image_.width() != width || image_.height() != height) {
        image_ = QImage(bits, width, height, width * 4, QImage::Format_ARGB32);
    }
    return image_;
}
