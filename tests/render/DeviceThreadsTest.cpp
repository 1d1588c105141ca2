// A render thread drawing while another thread releases textures, as
// StopOutput does; run under ThreadSanitizer too.
#include "DeviceScene.h"
#include "Requirements.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(GraphicsDeviceThreads, TexturesReleasedWhileAnotherThreadDraws)
{
    for (DeviceChoice choice : {DeviceChoice::kCpu, DeviceChoice::kOpenGL}) {
        auto device = scene::MakeDevice(choice, 128, 64);
        if (!device) {
            testenv::NoteMissing(testenv::Need::kOpenGL, "no OpenGL device; only the CPU device was tested");
            continue;
        }
        scene::Frame frame;
        frame.textures = {scene::Pattern(200, 60, 1), scene::TextLike(120, 40, 2)};
        frame.quads = {{0, 0, 0, 200, 60}, {1, 10, 10, 130, 50, 0, 0, 1, 1, 200, 4, 0}};
        // Textures of "objects" made on this thread, released on the other.
        std::vector<std::unique_ptr<IDeviceTexture>> released;
        for (int i = 0; i < 20; ++i)
            released.push_back(device->CreateTexture(64, 64));
        device->ReleaseThread();

        std::atomic<bool> drawing{true};
        std::thread render([&] {
            for (int i = 0; i < 10; ++i)
                EXPECT_TRUE(scene::Draw(*device, frame));
            device->ReleaseThread();
            drawing = false;
        });
        while (!released.empty()) {
            released.pop_back();
            std::this_thread::yield();
        }
        render.join();
        EXPECT_FALSE(drawing);
        EXPECT_TRUE(scene::Draw(*device, frame)) << "the device works on the next thread";
    }
}

}  // namespace
