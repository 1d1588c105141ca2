#include "render/device/GraphicsDeviceFactory.h"

#include "app/Log.h"
#include "render/cpu/CpuDevice.h"
#include "render/gl/EglOffscreenContext.h"
#include "render/gl/GlDevice.h"
#include "render/gl/QtWindowContext.h"

#include <QWindow>

#include <utility>

namespace {

std::unique_ptr<IGraphicsDevice> CreateOpenGlDevice(const DeviceRequest& request, QString* error)
{
    std::unique_ptr<IGlContext> context;
    if (request.window) {
        if (!request.window->handle()) {
            // Qt gives the window's surface the swap interval of its format
            // for good when it makes the window.
            QSurfaceFormat format = request.window->format();
            format.setSwapInterval(request.paceByClock ? 0 : 1);
            request.window->setFormat(format);
            request.window->setSurfaceType(QSurface::OpenGLSurface);
            request.window->create();
        }
        context = CQtWindowContext::Create(request.window, error);
    } else {
        context = CEglOffscreenContext::Create(error);
    }
    if (!context)
        return nullptr;
    return CGlDevice::Create(std::move(context), request.width, request.height, request.framePeriodUs, error,
                             request.paceByClock);
}

std::unique_ptr<IGraphicsDevice> CreateCpuDevice(const DeviceRequest& request)
{
    if (request.window) {
        if (!request.window->handle()) {
            request.window->setSurfaceType(QSurface::RasterSurface);
            request.window->create();
        }
        return std::make_unique<CCpuDevice>(request.window, request.framePeriodUs, request.cpuThreads,
                                            request.paceByClock);
    }
    return std::make_unique<CCpuDevice>(request.width, request.height, request.framePeriodUs, request.cpuThreads,
                                        request.paceByClock);
}

// Whether OpenGL here is drawn by hardware, asked once per run of an
// off-screen context, so that a window's surface type can still be chosen
// afterwards.
bool HardwareOpenGl(QString* renderer)
{
    static const std::pair<bool, QString> answer = [] {
        QString error;
        auto context = CEglOffscreenContext::Create(&error);
        auto device = context ? CGlDevice::Create(std::move(context), 1, 1, 0, &error) : nullptr;
        if (!device)
            return std::pair<bool, QString>(false, error);
        return std::pair<bool, QString>(!device->Description().softwareRasteriser, device->Description().renderer);
    }();
    *renderer = answer.second;
    return answer.first;
}

}  // namespace

DeviceChoice DeviceChoiceFromSetting(const QString& value)
{
    const QString v = value.trimmed().toLower();
    if (v == QLatin1String("gl"))
        return DeviceChoice::kOpenGL;
    if (v == QLatin1String("cpu"))
        return DeviceChoice::kCpu;
    return DeviceChoice::kAuto;
}

std::unique_ptr<IGraphicsDevice> CreateGraphicsDevice(const DeviceRequest& request, QString* error)
{
    std::unique_ptr<IGraphicsDevice> device;
    switch (request.choice) {
    case DeviceChoice::kOpenGL:
        device = CreateOpenGlDevice(request, error);
        break;
    case DeviceChoice::kCpu:
        device = CreateCpuDevice(request);
        break;
    case DeviceChoice::kAuto: {
        QString renderer;
        const bool hardware = HardwareOpenGl(&renderer);
        WriteLog(kLogLifecycle, "CreateGraphicsDevice(): OpenGL: %s (%s)", renderer.toUtf8().constData(),
                 hardware ? "hardware" : "no hardware driver");
        if (hardware)
            device = CreateOpenGlDevice(request, error);
        if (!device)
            device = CreateCpuDevice(request);
        break;
    }
    }
    if (device)
        WriteLog(kLogLifecycle, "CreateGraphicsDevice(): %s, %s, %s, back buffer %dx%d%s",
                 device->Description().api.toUtf8().constData(), device->Description().renderer.toUtf8().constData(),
                 device->Description().version.toUtf8().constData(), device->Description().backBufferWidth,
                 device->Description().backBufferHeight,
                 device->Description().clockPaced ? ", paced by the frame clock" : "");
    else
        WriteLog(kLogFailure, "CreateGraphicsDevice(): failed: %s", error->toUtf8().constData());
    return device;
}
