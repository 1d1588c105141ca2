#include "render/cpu/CpuWindowPresenter.h"

#include "app/Log.h"
#include "render/device/WindowSizeTracker.h"
#include "render/cpu/GuiThreadPresenter.h"
#include "render/cpu/XcbWindowPresenter.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>

std::unique_ptr<ICpuWindowPresenter> ICpuWindowPresenter::Create(QWindow* window)
{
    if (window && QGuiApplication::platformName() == QLatin1String("xcb")) {
        const auto id = static_cast<uint32_t>(window->winId());
        // Qt's connection may still hold the request that made the window:
        // one round trip on it, so the server knows the window before our
        // own connection names it.
#if QT_CONFIG(xcb)
        if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
            xcb_connection_t* qtConnection = x11->connection();
            std::free(xcb_get_input_focus_reply(qtConnection, xcb_get_input_focus(qtConnection), nullptr));
        }
#endif
        QString error;
        auto presenter = CXcbWindowPresenter::Create(id, nullptr, std::make_unique<CWindowSizeTracker>(window), &error);
        if (presenter) {
            WriteLog(kLogLifecycle, "CPU device presents on X window 0x%x%s", id,
                     presenter->UsesSharedMemory() ? " through shared memory" : "");
            return presenter;
        }
        WriteLog(kLogFailure, "CPU device: %s; frames go through the GUI thread", error.toUtf8().constData());
    }
    return std::make_unique<CGuiThreadPresenter>(window);
}
