// Window presentation of the CPU device from a thread other than the GUI
// thread: straight to an X window on a connection of its own, or handed to
// the GUI thread without waiting for it.
#include "render/cpu/GuiThreadPresenter.h"
#include "render/cpu/XcbWindowPresenter.h"

#include <QCoreApplication>
#include <QWindow>

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include "OpenTestDisplay.h"
#include "Requirements.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

// Runs job on a thread of its own and waits for it.
template <typename Job>
void OnWorker(Job job)
{
    std::thread worker(job);
    worker.join();
}

// A frame whose every pixel tells its position; alpha left at 0, which the
// window must not show.
std::vector<uint32_t> Pattern(int width, int height, uint32_t salt = 0)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y) * width + x] = static_cast<uint32_t>((x * 3) << 16 | (y * 5) << 8 | (x ^ y)) ^ salt;
    return pixels;
}

// A test window on a plain Xlib connection, as another client would make it.
class XWindow
{
public:
    XWindow(int width, int height)
    {
        display_ = OpenTestDisplay();
        if (!display_)
            return;
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, width, height, 0, 0, 0);
        XMapWindow(display_, window_);
        XSync(display_, False);
    }
    ~XWindow()
    {
        if (!display_)
            return;
        if (window_)
            XDestroyWindow(display_, window_);
        XCloseDisplay(display_);
    }
    bool Valid() const { return display_ != nullptr; }
    uint32_t Id() const { return static_cast<uint32_t>(window_); }
    void Resize(int width, int height)
    {
        XResizeWindow(display_, window_, width, height);
        XSync(display_, False);
    }
    void Destroy()
    {
        XDestroyWindow(display_, window_);
        XSync(display_, False);
        window_ = 0;
    }
    // The window's pixels as 0x00RRGGBB, once they equal expected or after
    // two seconds.
    std::vector<uint32_t> Pixels(int width, int height, const std::vector<uint32_t>& expected)
    {
        std::vector<uint32_t> pixels;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        do {
            pixels.clear();
            XImage* image = XGetImage(display_, window_, 0, 0, width, height, AllPlanes, ZPixmap);
            if (!image)
                return pixels;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    pixels.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFFu);
            XDestroyImage(image);
            if (pixels == expected)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        } while (std::chrono::steady_clock::now() < deadline);
        return pixels;
    }

private:
    Display* display_ = nullptr;
    Window window_ = 0;
};

std::vector<uint32_t> Opaque(std::vector<uint32_t> pixels)
{
    for (uint32_t& pixel : pixels)
        pixel &= 0xFFFFFFu;
    return pixels;
}

// "same" or where the window first differs from the frame.
std::string Compare(const std::vector<uint32_t>& window, const std::vector<uint32_t>& frame, int width)
{
    if (window.size() != frame.size())
        return "no image of the window";
    for (size_t i = 0; i < frame.size(); ++i)
        if (window[i] != frame[i]) {
            char text[96];
            std::snprintf(text, sizeof text, "pixel (%d, %d) is %06X, not %06X", static_cast<int>(i % width),
                          static_cast<int>(i / width), window[i], frame[i]);
            return text;
        }
    return "same";
}

TEST(WindowPresenterThreads, XWindowShowsFramesFollowsItsSizeAndReportsItsEnd)
{
    if (!testenv::HasXDisplay())
        TAVREL_SKIP_WITHOUT(testenv::Need::kXDisplay, "DISPLAY is not set");
    for (bool sharedMemory : {true, false}) {
        SCOPED_TRACE(sharedMemory ? "shared memory" : "plain requests");
        XWindow window(40, 24);
        ASSERT_TRUE(window.Valid());
        std::unique_ptr<CXcbWindowPresenter> presenter;
        OnWorker([&] {
            QString error;
            presenter = CXcbWindowPresenter::Create(window.Id(), nullptr, nullptr, &error, sharedMemory);
            ASSERT_TRUE(presenter) << error.toStdString();
        });
        ASSERT_TRUE(presenter);
        if (sharedMemory && !presenter->UsesSharedMemory())
            std::printf("the X server offers no shared memory; plain requests tested twice\n");
        EXPECT_EQ(presenter->Size(), QSize(40, 24));

        const std::vector<uint32_t> frame = Pattern(40, 24);
        OnWorker([&] { EXPECT_EQ(presenter->Show(frame.data(), 40, 24), DeviceStatus::kOk); });
        EXPECT_EQ(Compare(window.Pixels(40, 24, Opaque(frame)), Opaque(frame), 40), "same");

        // A second frame while the first may still be on its way.
        const std::vector<uint32_t> second = Pattern(40, 24, 0x5A3C96u);
        std::vector<uint32_t> inverted = second;
        for (uint32_t& pixel : inverted)
            pixel = ~pixel;
        OnWorker([&] {
            EXPECT_EQ(presenter->Show(inverted.data(), 40, 24), DeviceStatus::kOk);
            EXPECT_EQ(presenter->Show(second.data(), 40, 24), DeviceStatus::kOk);
        });
        // The newest frame wins even when one gave way.
        OnWorker([&] { presenter->Show(second.data(), 40, 24); });
        EXPECT_EQ(Compare(window.Pixels(40, 24, Opaque(second)), Opaque(second), 40), "same");

        window.Resize(64, 50);
        OnWorker([&] {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
            while (presenter->Size() != QSize(64, 50) && std::chrono::steady_clock::now() < deadline) {
                presenter->Show(frame.data(), 40, 24);
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
        EXPECT_EQ(presenter->Size(), QSize(64, 50));
        const std::vector<uint32_t> large = Pattern(64, 50);
        OnWorker([&] { presenter->Show(large.data(), 64, 50); });
        EXPECT_EQ(Compare(window.Pixels(64, 50, Opaque(large)), Opaque(large), 64), "same");

        window.Destroy();
        DeviceStatus status = DeviceStatus::kOk;
        OnWorker([&] {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
            while (status == DeviceStatus::kOk && std::chrono::steady_clock::now() < deadline) {
                status = presenter->Show(large.data(), 64, 50);
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
        EXPECT_EQ(status, DeviceStatus::kDeviceLost);
    }
}

TEST(WindowPresenterThreads, NoXWindowIsAClearFailure)
{
    if (!testenv::HasXDisplay())
        TAVREL_SKIP_WITHOUT(testenv::Need::kXDisplay, "DISPLAY is not set");
    QString error;
    EXPECT_FALSE(CXcbWindowPresenter::Create(0x7FFFFFF, nullptr, nullptr, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(CXcbWindowPresenter::Create(1, ":4711", nullptr, &error));
    EXPECT_FALSE(error.isEmpty());
}

// The render thread hands frames over while the GUI thread is busy (not
// running its event loop): it is never held up, and the GUI thread paints
// only the newest frame once it gets to it.
TEST(WindowPresenterThreads, HandOverNeverWaitsForTheGuiThread)
{
    QWindow window;
    window.resize(32, 16);
    window.create();
    CGuiThreadPresenter presenter(&window);
    EXPECT_EQ(presenter.Size(), QSize(32, 16));
    const std::vector<uint32_t> frame = Pattern(32, 16);
    OnWorker([&] {
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(presenter.Show(frame.data(), 32, 16), DeviceStatus::kOk);
    });
    EXPECT_EQ(presenter.FramesPainted(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(presenter.FramesPainted(), 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(presenter.FramesPainted(), 1);

    OnWorker([&] { EXPECT_EQ(presenter.Show(frame.data(), 32, 16), DeviceStatus::kOk); });
    QCoreApplication::processEvents();
    EXPECT_EQ(presenter.FramesPainted(), 2);
}

}  // namespace
