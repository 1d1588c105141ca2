#pragma once

#include "render/device/GraphicsDevice.h"

#include <QString>

#include <memory>

class QWindow;

// Which device to make: the settings value "Device" of section "Debug".
enum class DeviceChoice
{
    kAuto = 1,  // OpenGL on a hardware driver, else the CPU device
    kOpenGL,
    kCpu,
};

// "auto", "gl" or "cpu" (any case); anything else is kAuto.
DeviceChoice DeviceChoiceFromSetting(const QString& value);

struct DeviceRequest
{
    DeviceChoice choice = DeviceChoice::kAuto;
    // The output or preview window, or null for an off-screen device. A
    // window that has no platform window yet gets the surface type of the
    // chosen device; one that has must already be an OpenGL surface for the
    // OpenGL device.
    QWindow* window = nullptr;
    int width = 0;   // off-screen back buffer
    int height = 0;
    int framePeriodUs = 0;  // Present's pace when it does not wait for the display; 0 none
    int cpuThreads = 0;     // 0: one per core
    // The frame clock alone paces Present: a window made here does not wait
    // for the vertical blank (the operator's alternative vertical sync, for
    // drivers whose wait is broken), and Present sleeps until the next
    // deadline of framePeriodUs, however long presenting took.
    bool paceByClock = false;
};

// Makes the requested device, or null with the reason (no OpenGL 3.3 with
// kOpenGL). Logs the choice.
std::unique_ptr<IGraphicsDevice> CreateGraphicsDevice(const DeviceRequest& request, QString* error);
