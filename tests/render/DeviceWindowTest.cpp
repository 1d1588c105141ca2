// Devices on a window: what the output and preview windows get.
#include "DeviceScene.h"
#include "Requirements.h"

#include <QCoreApplication>
#include <QWindow>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

// A window device draws and reads back like an off-screen one, and reports
// the window's disappearance as a lost device.
TEST(DeviceWindowTest, WindowDevicesPresentAndReportALostWindow)
{
    for (DeviceChoice choice : {DeviceChoice::kCpu, DeviceChoice::kOpenGL}) {
#if defined(__SANITIZE_ADDRESS__)
        // Qt's GLX integration unloads Mesa's driver at exit, after which the
        // leak checker cannot see the driver's own references to its memory.
        if (choice == DeviceChoice::kOpenGL) {
            std::printf("the OpenGL window device is not tested under AddressSanitizer (driver unloaded at exit)\n");
            continue;
        }
#endif
        auto window = std::make_unique<QWindow>();
        window->resize(96, 48);
        DeviceRequest request;
        request.choice = choice;
        request.window = window.get();
        QString error;
        auto device = CreateGraphicsDevice(request, &error);
        if (!device) {
            ASSERT_EQ(choice, DeviceChoice::kOpenGL) << error.toStdString();
            testenv::NoteMissing(testenv::Need::kOpenGL, "no OpenGL context on a window (" + error.toStdString()
                                                             + "); the OpenGL window device was not tested");
            continue;
        }
        window->show();
        EXPECT_EQ(device->Description().backBufferWidth, 96);
        EXPECT_EQ(device->Description().backBufferHeight, 48);

        scene::Frame frame;
        frame.output = scene::Output::kLimited;
        frame.textures.push_back(scene::Solid(16, 16, 0xFFFFFFFFu));
        frame.quads.push_back({0, 0, 0, 16, 16});
        ASSERT_TRUE(scene::Draw(*device, frame)) << device->Description().api.toStdString();
        CPicture picture;
        ASSERT_TRUE(device->ReadBackBuffer(&picture));
        // Opaque white at the top-left corner, transparent black beside it:
        // rows are not upside down on the window.
        EXPECT_EQ(picture.pixels[0] & 0xFFFFFF, 0xDC80FFu) << device->Description().api.toStdString();
        EXPECT_EQ(picture.pixels[20 * 96 + 20] & 0xFFFFFF, 0x008000u) << device->Description().api.toStdString();

        window.reset();
        EXPECT_EQ(device->Present(), DeviceStatus::kDeviceLost) << device->Description().api.toStdString();
    }
}

// The back buffer follows the window, larger and smaller, and the next
// frame is drawn over all of it.
TEST(DeviceWindowTest, WindowDevicesFollowTheWindowsSize)
{
    for (DeviceChoice choice : {DeviceChoice::kCpu, DeviceChoice::kOpenGL}) {
#if defined(__SANITIZE_ADDRESS__)
        if (choice == DeviceChoice::kOpenGL)
            continue;  // see above
#endif
        auto window = std::make_unique<QWindow>();
        window->resize(96, 48);
        DeviceRequest request;
        request.choice = choice;
        request.window = window.get();
        QString error;
        auto device = CreateGraphicsDevice(request, &error);
        if (!device) {
            ASSERT_EQ(choice, DeviceChoice::kOpenGL) << error.toStdString();
            testenv::NoteMissing(testenv::Need::kOpenGL, "no OpenGL context on a window (" + error.toStdString()
                                                             + "); the OpenGL window device was not tested");
            continue;
        }
        window->show();
        const std::string api = device->Description().api.toStdString();
        for (QSize size : {QSize(120, 90), QSize(40, 30)}) {
            window->resize(size);
            // The window system confirms the size in its own time (one
            // more round trip on X11): the device follows within frames.
            for (int i = 0; i < 200; ++i) {
                QCoreApplication::processEvents();
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                ASSERT_EQ(device->Present(), DeviceStatus::kOk) << api;
                if (device->Description().backBufferWidth == size.width()
                    && device->Description().backBufferHeight == size.height())
                    break;
            }
            EXPECT_EQ(device->Description().backBufferWidth, size.width()) << api;
            EXPECT_EQ(device->Description().backBufferHeight, size.height()) << api;

            scene::Frame frame;
            frame.output = scene::Output::kLimited;
            frame.textures.push_back(scene::Solid(16, 16, 0xFFFFFFFFu));
            frame.quads.push_back({0, 0, 0, 16, 16});
            ASSERT_TRUE(scene::Draw(*device, frame)) << api;
            CPicture picture;
            ASSERT_TRUE(device->ReadBackBuffer(&picture));
            ASSERT_EQ(picture.width, size.width()) << api;
            ASSERT_EQ(picture.height, size.height()) << api;
            EXPECT_EQ(picture.pixels[0] & 0xFFFFFF, 0xDC80FFu) << api;
            // The far corner is encoded transparent black, not left over.
            EXPECT_EQ(picture.pixels.back() & 0xFFFFFF, 0x008000u) << api;
            EXPECT_EQ(device->Present(), DeviceStatus::kOk) << api;
        }
    }
}

// Presenting never runs ahead of the frame period when nothing else waits
// for the display (lower bound only: a busy machine may be slower).
TEST(DeviceWindowTest, PresentKeepsTheFramePeriodOffScreen)
{
    DeviceRequest request;
    request.choice = DeviceChoice::kCpu;
    request.width = 16;
    request.height = 16;
    request.framePeriodUs = 20000;
    QString error;
    auto device = CreateGraphicsDevice(request, &error);
    ASSERT_TRUE(device);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 6; ++i)
        ASSERT_EQ(device->Present(), DeviceStatus::kOk);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
}

// Paced by the frame clock, a window device does not wait for the vertical
// blank (the OpenGL device's window gets swap interval 0) and keeps the
// frame period by sleeping.
TEST(DeviceWindowTest, ClockPacedWindowDevicesSleepInsteadOfWaitingForTheVerticalBlank)
{
    for (DeviceChoice choice : {DeviceChoice::kCpu, DeviceChoice::kOpenGL}) {
#if defined(__SANITIZE_ADDRESS__)
        if (choice == DeviceChoice::kOpenGL)
            continue;  // see above
#endif
        for (bool clock : {false, true}) {
            auto window = std::make_unique<QWindow>();
            window->resize(32, 32);
            DeviceRequest request;
            request.choice = choice;
            request.window = window.get();
            request.framePeriodUs = 20000;
            request.paceByClock = clock;
            QString error;
            auto device = CreateGraphicsDevice(request, &error);
            if (!device) {
                ASSERT_EQ(choice, DeviceChoice::kOpenGL) << error.toStdString();
                continue;
            }
            const std::string what = device->Description().api.toStdString() + (clock ? ", clock" : ", display");
            EXPECT_EQ(device->Description().clockPaced, clock) << what;
            if (choice == DeviceChoice::kOpenGL) {
                EXPECT_EQ(window->requestedFormat().swapInterval(), clock ? 0 : 1) << what;
            }
            window->show();
            const auto start = std::chrono::steady_clock::now();
            for (int i = 0; i < 6; ++i)
                ASSERT_EQ(device->Present(), DeviceStatus::kOk) << what;
            EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100)) << what;
        }
    }
}

TEST(DeviceWindowTest, DeviceSettingSelectsTheDevice)
{
    EXPECT_EQ(DeviceChoiceFromSetting(QStringLiteral("gl")), DeviceChoice::kOpenGL);
    EXPECT_EQ(DeviceChoiceFromSetting(QStringLiteral(" CPU")), DeviceChoice::kCpu);
    EXPECT_EQ(DeviceChoiceFromSetting(QStringLiteral("auto")), DeviceChoice::kAuto);
    EXPECT_EQ(DeviceChoiceFromSetting(QStringLiteral("vulkan")), DeviceChoice::kAuto);
    // This machine's OpenGL is Mesa's software rasteriser (or none): auto
    // takes the CPU device.
    auto device = scene::MakeDevice(DeviceChoice::kAuto, 8, 8);
    ASSERT_TRUE(device);
    auto gl = scene::MakeDevice(DeviceChoice::kOpenGL, 8, 8);
    if (!gl || gl->Description().softwareRasteriser)
        EXPECT_EQ(device->Description().api, QStringLiteral("CPU"));
    else
        EXPECT_EQ(device->Description().api, QStringLiteral("OpenGL"));
}

}  // namespace
