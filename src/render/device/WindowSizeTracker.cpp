#include "render/device/WindowSizeTracker.h"

#include "render/device/NativePixels.h"

#include <QScreen>
#include <QWindow>

namespace {

uint64_t DevicePixels(const QWindow* window)
{
    const QSize size = nativepixels::WindowSize(*window);
    return static_cast<uint64_t>(static_cast<uint32_t>(size.width())) << 32 | static_cast<uint32_t>(size.height());
}

}  // namespace

CWindowSizeTracker::CWindowSizeTracker(QWindow* window) : state_(std::make_shared<State>())
{
    if (!window) {
        state_->gone = true;
        return;
    }
    state_->size = DevicePixels(window);
    // Direct connections: the handlers run on the thread that changes the
    // window and only store numbers.
    auto update = [state = state_, window] { state->size = DevicePixels(window); };
    connections_[0] = QObject::connect(window, &QWindow::widthChanged, update);
    connections_[1] = QObject::connect(window, &QWindow::heightChanged, update);
    connections_[2] = QObject::connect(window, &QWindow::screenChanged, update);
    connections_[3] = QObject::connect(window, &QObject::destroyed, [state = state_] { state->gone = true; });
}

CWindowSizeTracker::~CWindowSizeTracker()
{
    for (const QMetaObject::Connection& connection : connections_)
        QObject::disconnect(connection);
}

QSize CWindowSizeTracker::Size() const
{
    const uint64_t size = state_->size;
    return QSize(static_cast<int>(size >> 32), static_cast<int>(size & 0xFFFFFFFFu));
}

bool CWindowSizeTracker::WindowGone() const { return state_->gone; }
