#include "render/device/NativePixels.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cmath>
#include <cstdlib>

namespace {

QRect NativeGeometry(const QScreen& screen)
{
    const QRect logical = screen.geometry();
    return QRect(logical.topLeft(), logical.size() * screen.devicePixelRatio());
}

int Scaled(int value, int origin, qreal factor)
{
    return origin + static_cast<int>(std::lround((value - origin) / factor));
}

// Qt's own connection, on X11.
xcb_connection_t* XcbConnection()
{
#if QT_CONFIG(xcb)
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
            return x11->connection();
#endif
    return nullptr;
}

// The same, when the window is an X11 window that exists.
xcb_connection_t* XcbConnectionOf(const QWindow& window)
{
    return window.handle() ? XcbConnection() : nullptr;
}

// The screen that shows the native point, else the primary screen.
QScreen* ScreenAt(const QPoint& native)
{
    for (QScreen* screen : QGuiApplication::screens())
        if (NativeGeometry(*screen).contains(native))
            return screen;
    return QGuiApplication::primaryScreen();
}

// What Qt calls the native point on that screen.
QPoint LogicalPoint(const QPoint& native, const QScreen* screen)
{
    if (!screen)
        return native;
    const QPoint origin = screen->geometry().topLeft();
    const qreal factor = screen->devicePixelRatio();
    return QPoint(Scaled(native.x(), origin.x(), factor), Scaled(native.y(), origin.y(), factor));
}

}  // namespace

namespace nativepixels {

QRect LogicalRect(const QRect& native)
{
    const QScreen* screen = ScreenAt(native.center());
    const qreal factor = screen ? screen->devicePixelRatio() : 1.0;
    return QRect(LogicalPoint(native.topLeft(), screen),
                 QSize(static_cast<int>(std::lround(native.width() / factor)),
                       static_cast<int>(std::lround(native.height() / factor))));
}

void PlaceWindow(QWindow& window, const QRect& native)
{
    window.setGeometry(LogicalRect(native));
    xcb_connection_t* connection = XcbConnectionOf(window);
    if (!connection)
        return;
    // After Qt's own request, so this one is what the server keeps; Qt reads
    // the result back from the configure event.
    const uint32_t values[] = {static_cast<uint32_t>(native.x()), static_cast<uint32_t>(native.y()),
                               static_cast<uint32_t>(native.width()), static_cast<uint32_t>(native.height())};
    xcb_configure_window(connection, static_cast<xcb_window_t>(window.winId()),
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
                         values);
    xcb_flush(connection);
}

void SetCursorPos(const QPoint& native)
{
    if (xcb_connection_t* connection = XcbConnection()) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        xcb_warp_pointer(connection, XCB_NONE, screen->root, 0, 0, 0, 0, static_cast<int16_t>(native.x()),
                         static_cast<int16_t>(native.y()));
        xcb_flush(connection);
        return;
    }
    QScreen* screen = ScreenAt(native);
    if (!screen) {
        QCursor::setPos(native);
        return;
    }
    const QPoint origin = screen->geometry().topLeft();
    const qreal factor = screen->devicePixelRatio();
    auto down = [factor](int value, int from) { return from + static_cast<int>(std::floor((value - from) / factor)); };
    QCursor::setPos(screen, down(native.x(), origin.x()), down(native.y(), origin.y()));
}

QSize WindowSize(const QWindow& window)
{
    if (xcb_connection_t* connection = XcbConnectionOf(window)) {
        xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(
            connection, xcb_get_geometry(connection, static_cast<xcb_drawable_t>(window.winId())), nullptr);
        if (geometry) {
            const QSize size(geometry->width, geometry->height);
            std::free(geometry);
            return size;
        }
    }
    return window.size() * window.devicePixelRatio();
}

}  // namespace nativepixels
