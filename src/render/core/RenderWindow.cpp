#include "render/core/RenderWindow.h"

#include "render/device/NativePixels.h"

#include <QMouseEvent>

#include <cmath>

CRenderWindow::CRenderWindow(const CRect& rect) : displayRect(rect)
{
    setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool);
    setTitle(QStringLiteral("HDMI"));
    setCursor(Qt::BlankCursor);
    setGeometry(nativepixels::LogicalRect(ToQRect(rect)));
}

void CRenderWindow::showEvent(QShowEvent* event)
{
    // The window exists by now and is not mapped yet.
    nativepixels::PlaceWindow(*this, ToQRect(displayRect));
    QWindow::showEvent(event);
}

void CRenderWindow::mouseMoveEvent(QMouseEvent* event)
{
    const int nativeY = displayRect.top + static_cast<int>(std::lround(event->position().y() * devicePixelRatio()));
    nativepixels::SetCursorPos(QPoint(displayRect.left - 1, nativeY));
    event->accept();
}
