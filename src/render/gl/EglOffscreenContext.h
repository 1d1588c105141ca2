#pragma once

#include "render/gl/GlContext.h"

#include <QString>

#include <memory>

// An OpenGL 3.3 core context without any window: EGL on Mesa's surfaceless
// platform (no display server needed), or else on the default display.
class CEglOffscreenContext : public IGlContext
{
public:
    // Null with a reason when no such context can be made.
    static std::unique_ptr<CEglOffscreenContext> Create(QString* error);
    ~CEglOffscreenContext() override;

    bool MakeCurrent() override;
    void DoneCurrent() override;
    bool SwapBuffers() override { return true; }
    void (*GetProcAddress(const char* name))() override;
    bool HasWindow() const override { return false; }
    int SwapInterval() const override { return 0; }
    unsigned WindowFramebuffer() const override { return 0; }
    QSize WindowSize() const override { return {}; }

private:
    CEglOffscreenContext() = default;

    void* display_ = nullptr;
    void* context_ = nullptr;
};
