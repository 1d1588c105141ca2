#include "editor/PicCtrl.h"

#include "model/Picture.h"

#include <QPainter>

CPicCtrl::CPicCtrl(QWidget* parent) : QWidget(parent)
{
    // Every pixel is painted: no background erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CPicCtrl::SetPicture(const CPicture& picture)
{
    if (picture.IsEmpty()) {
        image_ = QImage();
    } else {
        // The same size is copied into the picture held; another makes a new one.
        if (image_.size() != QSize(picture.width, picture.height))
            image_ = QImage(picture.width, picture.height, QImage::Format_RGB32);
        for (int y = 0; y < picture.height; ++y)
            std::copy_n(picture.Row(y), picture.width, reinterpret_cast<uint32_t*>(image_.scanLine(y)));
    }
    update();
}

void CPicCtrl::SetColour(const QColor& colour, int width, int height)
{
    image_ = QImage(width, height, QImage::Format_RGB32);
    image_.fill(colour);
    update();
}

QRect CPicCtrl::PictureRect() const
{
    if (image_.isNull())
        return {};
    if (image_.size() == size())
        return rect();
    // A thumbnail keeps the page's proportions whatever the pane's shape.
    const QSize fitted = image_.size().scaled(size(), Qt::KeepAspectRatio);
    return QRect(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
}

void CPicCtrl::paintEvent(QPaintEvent*)
{
    if (image_.isNull())
        return;
    QPainter painter(this);
    const QRect target = PictureRect();
    if (target != rect()) {
        const QRegion around = QRegion(rect()).subtracted(target);
        for (const QRect& part : around)
            painter.fillRect(part, palette().color(QPalette::Dark));
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, image_);
}
