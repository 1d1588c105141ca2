#include "render/core/RenderWindow.h"

#include <QCursor>
#include <QMouseEvent>

CRenderWindow::CRenderWindow(const CRect& rect) : displayRect(rect)
{
    setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool);
    setTitle(QStringLiteral("HDMI"));
    setCursor(Qt::BlankCursor);
    setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
}

void CRenderWindow::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF global = event->globalPosition();
    QCursor::setPos(displayRect.left - 1, static_cast<int>(global.y()));
    event->accept();
}
