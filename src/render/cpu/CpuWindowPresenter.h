#pragma once

#include "render/DeviceTypes.h"

#include <QPointer>
#include <QSize>

#include <cstdint>
#include <memory>

class QBackingStore;
class QWindow;

// Shows the CPU device's back buffer on a window through the window system's
// backing store. The window keeps the size it had when the presenter was
// made (output and preview windows are sized before the device exists).
class CCpuWindowPresenter
{
public:
    explicit CCpuWindowPresenter(QWindow* window);
    ~CCpuWindowPresenter();

    QSize Size() const { return size_; }
    // kDeviceLost when the window has gone.
    DeviceStatus Show(const uint32_t* pixels, int width, int height);

private:
    QPointer<QWindow> window_;
    QSize size_;
    std::unique_ptr<QBackingStore> store_;
};
