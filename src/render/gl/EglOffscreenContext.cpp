#include "render/gl/EglOffscreenContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstring>

namespace {

bool HasExtension(const char* list, const char* name)
{
    if (!list)
        return false;
    const size_t length = std::strlen(name);
    for (const char* p = std::strstr(list, name); p; p = std::strstr(p + 1, name))
        if ((p == list || p[-1] == ' ') && (p[length] == ' ' || p[length] == '\0'))
            return true;
    return false;
}

EGLDisplay OpenDisplay()
{
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay && HasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (display != EGL_NO_DISPLAY && eglInitialize(display, nullptr, nullptr))
            return display;
    }
    EGLDisplay display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
    if (display != EGL_NO_DISPLAY && eglInitialize(display, nullptr, nullptr))
        return display;
    return EGL_NO_DISPLAY;
}

}  // namespace

std::unique_ptr<CEglOffscreenContext> CEglOffscreenContext::Create(QString* error)
{
    EGLDisplay display = OpenDisplay();
    if (display == EGL_NO_DISPLAY) {
        *error = QStringLiteral("no EGL display");
        return nullptr;
    }
    const char* extensions = eglQueryString(display, EGL_EXTENSIONS);
    if (!HasExtension(extensions, "EGL_KHR_surfaceless_context")) {
        *error = QStringLiteral("EGL without surfaceless contexts");
        return nullptr;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        *error = QStringLiteral("EGL without desktop OpenGL");
        return nullptr;
    }
    EGLConfig config = nullptr;
    if (!HasExtension(extensions, "EGL_KHR_no_config_context")) {
        const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
        EGLint found = 0;
        if (!eglChooseConfig(display, configAttributes, &config, 1, &found) || found < 1) {
            *error = QStringLiteral("no EGL configuration for OpenGL");
            return nullptr;
        }
    }
    // With reset notification where the driver offers it, so that a lost
    // device is reported instead of drawing nothing.
    const EGLint robustAttributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                                       EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                       EGL_CONTEXT_OPENGL_RESET_NOTIFICATION_STRATEGY_EXT,
                                       EGL_LOSE_CONTEXT_ON_RESET_EXT, EGL_NONE};
    const EGLint plainAttributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                                      EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
    EGLContext context = EGL_NO_CONTEXT;
    if (HasExtension(extensions, "EGL_EXT_create_context_robustness"))
        context = eglCreateContext(display, config, EGL_NO_CONTEXT, robustAttributes);
    if (context == EGL_NO_CONTEXT)
        context = eglCreateContext(display, config, EGL_NO_CONTEXT, plainAttributes);
    if (context == EGL_NO_CONTEXT) {
        *error = QStringLiteral("no OpenGL 3.3 core context (EGL error %1)").arg(eglGetError(), 0, 16);
        return nullptr;
    }
    std::unique_ptr<CEglOffscreenContext> result(new CEglOffscreenContext());
    result->display_ = display;
    result->context_ = context;
    return result;
}

CEglOffscreenContext::~CEglOffscreenContext()
{
    // The display stays initialised: other devices of the process share it.
    if (context_) {
        if (eglGetCurrentContext() == context_)
            eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display_, context_);
    }
}

bool CEglOffscreenContext::MakeCurrent()
{
    return eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_);
}

void CEglOffscreenContext::DoneCurrent()
{
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

void (*CEglOffscreenContext::GetProcAddress(const char* name))()
{
    return eglGetProcAddress(name);
}
