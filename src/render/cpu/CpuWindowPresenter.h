#pragma once

#include "render/device/DeviceTypes.h"

#include <QSize>

#include <cstdint>
#include <memory>

class QWindow;

// Shows the CPU device's back buffer on a window, from the render thread,
// which must neither touch the window's GUI-thread objects nor wait for the
// GUI thread. Two ways:
// - on X11, put-image requests on a connection of the presenter's own to
//   the window's native id (through shared memory where the server offers
//   it), so the output keeps moving even while the GUI thread is busy;
// - elsewhere (Wayland, the offscreen platform), a hand-over: the newest
//   frame waits in a mailbox and the GUI thread paints it through the
//   window's backing store; frames the GUI thread has no time for are
//   replaced, never queued, and the render thread never waits for it.
class ICpuWindowPresenter
{
public:
    // Made on the window's (GUI) thread, like the window's device; used on
    // one thread at a time after that (the render thread).
    static std::unique_ptr<ICpuWindowPresenter> Create(QWindow* window);
    virtual ~ICpuWindowPresenter() = default;

    // The window's current size in device pixels; the device's back buffer
    // follows it.
    virtual QSize Size() const = 0;
    // Shows width x height pixels (B, G, R, A bytes; alpha ignored) at the
    // window's top-left corner. kDeviceLost when the window has gone,
    // kFailed when it cannot be drawn to for another reason. Returns without
    // waiting for the window system or the GUI thread; a frame that cannot
    // be handed over at once gives way to the next.
    virtual DeviceStatus Show(const uint32_t* pixels, int width, int height) = 0;
};
