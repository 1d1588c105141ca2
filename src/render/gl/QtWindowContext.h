#pragma once

#include "render/gl/GlContext.h"

#include <QPointer>
#include <QString>

#include <memory>

class CWindowSizeTracker;
class QOpenGLContext;
class QWindow;

// The OpenGL context of an output or preview window, through Qt. The window
// must have been given QSurface::OpenGLSurface before it was created, and
// the swap interval it is to have (its format's: Qt sets it on the window's
// surface). The context follows the thread that makes it current (moved
// there on demand).
class CQtWindowContext : public IGlContext
{
public:
    static std::unique_ptr<CQtWindowContext> Create(QWindow* window, QString* error);
    ~CQtWindowContext() override;

    bool MakeCurrent() override;
    void DoneCurrent() override;
    bool SwapBuffers() override;
    void (*GetProcAddress(const char* name))() override;
    bool HasWindow() const override { return true; }
    unsigned WindowFramebuffer() const override;
    QSize WindowSize() const override;
    int SwapInterval() const override;

private:
    CQtWindowContext() = default;

    QPointer<QWindow> window_;
    std::unique_ptr<QOpenGLContext> context_;
    std::unique_ptr<CWindowSizeTracker> size_;
};
