#include "editor/CommandIcons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace {

// Draws the SVG for every mode but Disabled, which it greys itself.
class CGreyDisabledIconEngine final : public QIconEngine
{
public:
    explicit CGreyDisabledIconEngine(QIcon icon) : icon_(std::move(icon)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap image = scaledPixmap(rect.size(), mode, state, ratio);
        painter->drawPixmap(rect, image);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        const QSize pixels = size * scale;
        const QIcon::Mode drawn = mode == QIcon::Disabled ? QIcon::Normal : mode;
        QPixmap image = icon_.pixmap(pixels, 1.0, drawn, state);
        if (mode == QIcon::Disabled)
            image = QPixmap::fromImage(GreyedImage(image.toImage()));
        image.setDevicePixelRatio(scale);
        return image;
    }

    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon_.actualSize(size, mode, state);
    }

    QIconEngine* clone() const override { return new CGreyDisabledIconEngine(icon_); }
    QString key() const override { return QStringLiteral("tavrel-grey-disabled"); }

private:
    QIcon icon_;
};

}  // namespace

QImage GreyedImage(const QImage& image)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            const QRgb pixel = line[x];
            const double r = qRed(pixel);
            const double g = qGreen(pixel);
            const double b = qBlue(pixel);
            const int grey = std::clamp(static_cast<int>(std::sqrt(0.587 * g * g + 0.299 * r * r + 0.114 * b * b)), 128, 255);
            line[x] = qRgba(grey, grey, grey, qAlpha(pixel));
        }
    }
    return result;
}

// The icons live in the editor's static library: their resource is
// registered by hand, once.
static void RegisterIcons()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    (void)registered;
}

QIcon ProgramIcon(const QString& name)
{
    RegisterIcons();
    if (name.isEmpty())
        return {};
    const QIcon drawn(QStringLiteral(":/icons/%1.svg").arg(name));
    if (drawn.isNull())
        return {};
    return QIcon(new CGreyDisabledIconEngine(drawn));
}
