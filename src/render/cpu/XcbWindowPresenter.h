#pragma once

#include "render/cpu/CpuWindowPresenter.h"

#include <QString>

#include <memory>
#include <vector>

class CWindowSizeTracker;
struct xcb_connection_t;

// Puts frames on an X11 window through a connection of its own, so that any
// one thread may present while Qt's connection stays with the GUI thread.
// With MIT-SHM (a local server) the frame goes through one of two shared
// segments, otherwise as put-image requests in row bands. The window's size
// comes from its configure events on this connection; its destruction from
// the destroy event, an error on the window, or the tracker of its QWindow.
class CXcbWindowPresenter final : public ICpuWindowPresenter
{
public:
    // displayName null: $DISPLAY. Null with *error set when the display
    // cannot be opened, the window does not exist or has a pixel layout
    // other than 32-bit B, G, R(, X). sharedMemory false: plain requests
    // even where the server offers shared memory.
    static std::unique_ptr<CXcbWindowPresenter> Create(uint32_t window, const char* displayName,
                                                       std::unique_ptr<CWindowSizeTracker> tracker, QString* error,
                                                       bool sharedMemory = true);
    ~CXcbWindowPresenter() override;

    QSize Size() const override { return size_; }
    DeviceStatus Show(const uint32_t* pixels, int width, int height) override;

    bool UsesSharedMemory() const { return shm_; }

private:
    // A shared memory segment attached to the server; busy from its put
    // request until the server reports the request done.
    struct Segment
    {
        uint32_t id = 0;
        int shmid = -1;
        uint32_t* data = nullptr;
        size_t bytes = 0;
        bool busy = false;
    };

    CXcbWindowPresenter() = default;
    void PollEvents();
    bool EnsureSegment(Segment& segment, size_t bytes);
    void ReleaseSegment(Segment& segment);
    void DropSharedMemory();
    void PutBands(const uint32_t* pixels, int width, int height);

    xcb_connection_t* connection_ = nullptr;
    std::unique_ptr<CWindowSizeTracker> tracker_;
    uint32_t window_ = 0;
    uint32_t gc_ = 0;
    uint8_t depth_ = 0;
    QSize size_;
    bool lost_ = false;
    bool errorLogged_ = false;
    bool shm_ = false;
    uint8_t shmOpcode_ = 0;
    uint8_t shmCompletion_ = 0;
    Segment segments_[2];
    int next_ = 0;
    size_t maxRequestBytes_ = 0;
    std::vector<uint32_t> band_;
};
