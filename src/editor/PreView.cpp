#include "editor/PreView.h"

#include "app/StringTable.h"
#include "document/CanvasGeometry.h"

#include <QGuiApplication>
#include <QWindow>

namespace {

constexpr int kPreviewNameId = 10705;

}  // namespace

CPreView::CPreView(QWidget* parent) : QWidget(parent), window_(new QWindow)
{
    setAccessibleName(LoadText(kPreviewNameId));
    QPalette dark = palette();
    dark.setColor(QPalette::Window, Qt::black);
    setPalette(dark);
    setAutoFillBackground(true);
    // The renderer paints the window from its own thread; Qt never paints
    // it. The surface suits both devices on X (the CPU device only needs
    // the window); elsewhere there is no OpenGL to offer.
    const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    window_->setSurfaceType(x11 ? QSurface::OpenGLSurface : QSurface::RasterSurface);
    container_ = QWidget::createWindowContainer(window_, this);
    container_->setFocusPolicy(Qt::NoFocus);
    setMinimumHeight(0);
}

void CPreView::SetPageSize(int width, int height)
{
    if (width <= 0 || height <= 0)
        return;
    page_ = QSize(width, height);
    PlaceWindow();
}

QRect CPreView::PageRect() const
{
    return PreviewTargetRect(size(), page_.width(), page_.height());
}

void CPreView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceWindow();
}

void CPreView::PlaceWindow()
{
    container_->setGeometry(PageRect());
}
