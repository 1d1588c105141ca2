#include "render/cpu/CpuWindowPresenter.h"

#include <QBackingStore>
#include <QImage>
#include <QPainter>
#include <QWindow>

#include <cstring>

CCpuWindowPresenter::CCpuWindowPresenter(QWindow* window)
    : window_(window), size_(window ? window->size() * window->devicePixelRatio() : QSize())
{
    if (window) {
        store_ = std::make_unique<QBackingStore>(window);
        store_->resize(window->size());
    }
}

CCpuWindowPresenter::~CCpuWindowPresenter() = default;

DeviceStatus CCpuWindowPresenter::Show(const uint32_t* pixels, int width, int height)
{
    if (!window_ || !store_)
        return DeviceStatus::kDeviceLost;
    const QRect area(0, 0, width, height);
    store_->beginPaint(area);
    QPaintDevice* device = store_->paintDevice();
    const QImage frame(reinterpret_cast<const uchar*>(pixels), width, height, width * 4, QImage::Format_RGB32);
    auto* image = dynamic_cast<QImage*>(device);
    if (image && image->format() == QImage::Format_RGB32 && image->width() >= width && image->height() >= height) {
        for (int y = 0; y < height; ++y)
            std::memcpy(image->scanLine(y), frame.constScanLine(y), static_cast<size_t>(width) * 4);
    } else {
        QPainter painter(device);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, frame);
    }
    store_->endPaint();
    store_->flush(area);
    return DeviceStatus::kOk;
}
