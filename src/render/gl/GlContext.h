#pragma once

#include <QSize>

// Where the OpenGL device's context comes from: an off-screen context (EGL)
// or a window's context (Qt). One implementation per kind.
class IGlContext
{
public:
    virtual ~IGlContext() = default;

    // Makes the context current on the calling thread; the previous thread
    // must have called DoneCurrent.
    virtual bool MakeCurrent() = 0;
    virtual void DoneCurrent() = 0;
    // Shows the window's back buffer (waits for the vertical blank when the
    // swap interval is 1); false when the window or context has gone.
    // Off-screen contexts return true at once.
    virtual bool SwapBuffers() = 0;
    virtual void (*GetProcAddress(const char* name))() = 0;
    // The framebuffer that shows on the window, and its size in pixels now
    // (it follows the window; callable on the drawing thread); off-screen
    // contexts have none (false).
    virtual bool HasWindow() const = 0;
    virtual unsigned WindowFramebuffer() const = 0;
    virtual QSize WindowSize() const = 0;
    // How many vertical blanks a swap waits for: the window's, fixed when
    // the window was made; 0 off-screen.
    virtual int SwapInterval() const = 0;
};
