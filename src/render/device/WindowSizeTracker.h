#pragma once

#include <QMetaObject>
#include <QSize>

#include <atomic>
#include <cstdint>
#include <memory>

class QWindow;

// The size of a window in native pixels and whether it still exists,
// readable on any thread: the window's own (GUI) thread keeps both up to
// date through the window's signals, so the render thread never touches the
// window to learn them. Made and destroyed on any thread.
class CWindowSizeTracker
{
public:
    explicit CWindowSizeTracker(QWindow* window);
    ~CWindowSizeTracker();
    CWindowSizeTracker(const CWindowSizeTracker&) = delete;
    CWindowSizeTracker& operator=(const CWindowSizeTracker&) = delete;

    QSize Size() const;
    bool WindowGone() const;

private:
    struct State
    {
        std::atomic<uint64_t> size{0};  // width in the high half, height in the low
        std::atomic<bool> gone{false};
    };

    // Shared with the signal handlers, which may still be running on the
    // GUI thread while the tracker is being destroyed.
    std::shared_ptr<State> state_;
    QMetaObject::Connection connections_[4];
};
