#pragma once

#include "render/device/WindowSizeTracker.h"
#include "render/cpu/CpuWindowPresenter.h"

#include <QImage>

#include <atomic>
#include <memory>
#include <mutex>

class QObject;

// Hands frames to the window's (GUI) thread, which paints them through the
// window's backing store. The newest frame waits in a mailbox; the render
// thread swaps its frame in and posts one paint request when none is
// pending, so it never waits for the GUI thread and frames the GUI thread
// has no time for are replaced rather than queued.
class CGuiThreadPresenter final : public ICpuWindowPresenter
{
public:
    // On the window's thread.
    explicit CGuiThreadPresenter(QWindow* window);
    ~CGuiThreadPresenter() override;

    QSize Size() const override { return tracker_.Size(); }
    DeviceStatus Show(const uint32_t* pixels, int width, int height) override;

    // Frames the GUI thread has put on the window so far.
    int FramesPainted() const { return mailbox_->painted; }

    struct Mailbox
    {
        std::mutex mutex;
        QImage frame;          // the newest frame when fresh, else one to reuse
        bool fresh = false;    // frame has not been painted yet
        bool posted = false;   // a paint request is on its way
        std::atomic<int> painted{0};
    };

private:
    CWindowSizeTracker tracker_;
    std::shared_ptr<Mailbox> mailbox_;
    QObject* painter_;  // lives on the window's thread, deleted there
    QImage spare_;
};
