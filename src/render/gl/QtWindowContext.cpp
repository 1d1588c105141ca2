#include "render/gl/QtWindowContext.h"

#include "render/device/WindowSizeTracker.h"

#include <QOpenGLContext>
#include <QThread>
#include <QWindow>

std::unique_ptr<CQtWindowContext> CQtWindowContext::Create(QWindow* window, QString* error)
{
    if (!window || window->surfaceType() != QSurface::OpenGLSurface) {
        *error = QStringLiteral("the window is not an OpenGL surface");
        return nullptr;
    }
    QSurfaceFormat format;
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
    format.setSwapInterval(window->requestedFormat().swapInterval());
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setDepthBufferSize(0);
    format.setStencilBufferSize(0);
    format.setOption(QSurfaceFormat::ResetNotification);
    std::unique_ptr<CQtWindowContext> result(new CQtWindowContext());
    result->context_ = std::make_unique<QOpenGLContext>();
    result->context_->setFormat(format);
    if (!result->context_->create()) {
        *error = QStringLiteral("no OpenGL context for the window");
        return nullptr;
    }
    const QSurfaceFormat actual = result->context_->format();
    if (actual.version() < qMakePair(3, 3)) {
        *error = QStringLiteral("OpenGL %1.%2 is below 3.3").arg(actual.majorVersion()).arg(actual.minorVersion());
        return nullptr;
    }
    result->window_ = window;
    result->size_ = std::make_unique<CWindowSizeTracker>(window);
    return result;
}

CQtWindowContext::~CQtWindowContext()
{
    if (context_ && context_->thread() == nullptr)
        context_->moveToThread(QThread::currentThread());
}

bool CQtWindowContext::MakeCurrent()
{
    if (!window_)
        return false;
    // A context without a thread (after DoneCurrent) can be pulled here.
    if (context_->thread() != QThread::currentThread()) {
        if (context_->thread() != nullptr)
            return false;
        context_->moveToThread(QThread::currentThread());
    }
    return context_->makeCurrent(window_);
}

void CQtWindowContext::DoneCurrent()
{
    if (context_->thread() != QThread::currentThread())
        return;
    context_->doneCurrent();
    context_->moveToThread(nullptr);
}

bool CQtWindowContext::SwapBuffers()
{
    if (!window_ || !context_->isValid())
        return false;
    context_->swapBuffers(window_);
    return true;
}

void (*CQtWindowContext::GetProcAddress(const char* name))()
{
    return context_->getProcAddress(name);
}

QSize CQtWindowContext::WindowSize() const { return size_->Size(); }

int CQtWindowContext::SwapInterval() const
{
    // What the window was made with; not every platform reports it back.
    return window_ ? window_->requestedFormat().swapInterval() : 0;
}

unsigned CQtWindowContext::WindowFramebuffer() const
{
    return context_->defaultFramebufferObject();
}
