#include "render/device/NativePixels.h"

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

// Qt's own connection, when the window is an X11 window that exists.
xcb_connection_t* XcbConnectionOf(const QWindow& window)
{
#if QT_CONFIG(xcb)
    if (window.handle() && QGuiApplication::platformName() == QLatin1String("xcb"))
        if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
            return x11->connection();
#else
    (void)window;
#endif
    return nullptr;
}

}  // namespace

namespace nativepixels {

QScreen* ScreenAt(const QPoint& native)
{
    for (QScreen* screen : QGuiApplication::screens())
        if (NativeGeometry(*screen).contains(native))
            return screen;
    return QGuiApplication::primaryScreen();
}

QPoint LogicalPoint(const QPoint& native, const QScreen* screen)
{
    if (!screen)
        return native;
    const QPoint origin = screen->geometry().topLeft();
    const qreal factor = screen->devicePixelRatio();
    return QPoint(Scaled(native.x(), origin.x(), factor), Scaled(native.y(), origin.y(), factor));
}

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
