// Qt's window scaling (QT_SCALE_FACTOR, desktop scaling) and the renderer's
// windows: the output window covers exactly the output display's pixels
// and the preview fills its window. Qt reads the scale factor once, when
// the application starts, so each test runs itself again in child
// processes on the X display with QT_SCALE_FACTOR=2 and 1.5 (where logical
// units cannot express every pixel), and reads back what the windows show
// on the test X server.
#include "RenderFixture.h"
#include "Requirements.h"

#include "app/MemorySettingsStore.h"
#include "content/PagePlayback.h"
#include "model/Picture.h"
#include "render/core/OfflineRenderer.h"
#include "render/core/RenderWindow.h"
#include "render/display/MemoryDisplayBackend.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QProcess>
#include <QWindow>

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include "OpenTestDisplay.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

using namespace renderfixture;

namespace {

constexpr char kChildVariable[] = "TAVREL_SCALED_CHILD";

#if defined(__SANITIZE_ADDRESS__)
// Qt's GLX integration unloads Mesa's driver at exit, after which the leak
// checker cannot see the driver's own references to its memory.
constexpr const char* kDevices[] = {"cpu"};
#else
constexpr const char* kDevices[] = {"cpu", "gl"};
#endif

bool InScaledChild()
{
    return qEnvironmentVariableIsSet(kChildVariable);
}

// The current test again, in a child process on the X display with Qt's
// window scaling at factor; the child's result is the test's.
void RunScaledChild(const char* factor)
{
    SCOPED_TRACE(std::string("QT_SCALE_FACTOR=") + factor);
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kChildVariable), QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(factor));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("TAVREL_TEST_DISPLAY"), QStringLiteral("1"));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=%1.%2")
                     .arg(QLatin1String(test->test_suite_name()), QLatin1String(test->name()))});
    const bool finished = child.waitForFinished(240000);
    const std::string output = child.readAll().toStdString();
    ASSERT_TRUE(finished) << "the scaled child did not finish:\n" << output;
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << output;
    EXPECT_EQ(child.exitCode(), 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test."), std::string::npos) << output;
}

// The current test in children at the factors 2 and 1.5 (a fractional one,
// which logical units cannot always express).
void RunScaledChildren()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        TAVREL_SKIP_WITHOUT(testenv::Need::kXDisplay, "DISPLAY is not set");
    for (const char* factor : {"2", "1.5"})
        RunScaledChild(factor);
}

struct NativeGeometry
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const NativeGeometry&, const NativeGeometry&) = default;
};

std::ostream& operator<<(std::ostream& out, const NativeGeometry& g)
{
    return out << g.width << " x " << g.height << " at " << g.x << ", " << g.y;
}

// Windows as the X server has them, on a connection of the test's own.
class XServer
{
public:
    XServer() : display_(OpenTestDisplay()) {}
    ~XServer()
    {
        if (display_)
            XCloseDisplay(display_);
    }
    bool Valid() const { return display_ != nullptr; }

    NativeGeometry Geometry(unsigned long window)
    {
        const ErrorsIgnored ignored(display_);
        XWindowAttributes attributes{};
        NativeGeometry geometry;
        Window child = 0;
        if (XGetWindowAttributes(display_, window, &attributes) &&
            XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &geometry.x, &geometry.y,
                                  &child)) {
            geometry.width = attributes.width;
            geometry.height = attributes.height;
        }
        return geometry;
    }

    QPoint Pointer()
    {
        Window root = 0;
        Window child = 0;
        int x = 0;
        int y = 0;
        int windowX = 0;
        int windowY = 0;
        unsigned mask = 0;
        XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &x, &y, &windowX, &windowY, &mask);
        return QPoint(x, y);
    }

    // The window's pixels as 0x00RRGGBB rows; empty while it cannot be read
    // (not mapped yet).
    std::vector<uint32_t> Pixels(unsigned long window, int width, int height)
    {
        const ErrorsIgnored ignored(display_);
        std::vector<uint32_t> pixels;
        XImage* image = XGetImage(display_, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                                  AllPlanes, ZPixmap);
        if (!image)
            return pixels;
        pixels.reserve(static_cast<size_t>(width) * height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFFu);
        XDestroyImage(image);
        return pixels;
    }

private:
    // A window that is not mapped yet answers with an error, which must not
    // end the test.
    class ErrorsIgnored
    {
    public:
        explicit ErrorsIgnored(Display* display) : display_(display)
        {
            previous_ = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        }
        ~ErrorsIgnored()
        {
            XSync(display_, False);
            XSetErrorHandler(previous_);
        }

    private:
        Display* display_;
        XErrorHandler previous_;
    };

    Display* display_;
};

// "same" or where the window first differs from the expected picture by
// more than one step in a channel (the two devices may).
std::string Compare(const std::vector<uint32_t>& window, const std::vector<uint32_t>& expected, int width)
{
    if (window.size() != expected.size())
        return "no picture of the window";
    for (size_t i = 0; i < expected.size(); ++i) {
        for (int shift : {0, 8, 16}) {
            const int a = static_cast<int>((window[i] >> shift) & 0xFF);
            const int b = static_cast<int>((expected[i] >> shift) & 0xFF);
            if (std::abs(a - b) > 1) {
                char text[96];
                std::snprintf(text, sizeof text, "pixel (%d, %d) is %06X, not %06X", static_cast<int>(i % width),
                              static_cast<int>(i / width), window[i], expected[i]);
                return text;
            }
        }
    }
    return "same";
}

// Waits, letting the GUI thread run, until done() or about ten seconds
// have passed.
bool WaitWithEvents(const std::function<bool()>& done)
{
    for (int i = 0; i < 500; ++i) {
        QCoreApplication::processEvents();
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

class XScaledDesktop : public ::testing::Test
{
protected:
    void SetUp() override { previous_ = InstallSettingsStore(std::make_unique<CMemorySettingsStore>()); }
    void TearDown() override { InstallSettingsStore(std::move(previous_)); }

    static CRenderEnvironment Environment(const char* device, CMemoryDisplayBackend& displays,
                                          CFakeInhibitor& inhibitor)
    {
        CRenderEnvironment environment;
        environment.device = QString::fromLatin1(device);
        environment.displayBackend = &displays;
        environment.inhibitor = &inhibitor;
        environment.raisePriorities = false;
        return environment;
    }

    void Play()
    {
        ASSERT_TRUE(WaitFor([&] { return page_.outputActive.load() == 1; }));
        ASSERT_EQ(CPagePlayback(page_).PlayAllObjects(), 1);
        TextLookedAt(page_);
    }

    // Whether the device could be made; the OpenGL device may be missing.
    static bool Started(const char* device, const CRender& render)
    {
        if (std::string(device) == "gl" && render.renderError.load() == kRenderApiUnavailable) {
            std::printf("no OpenGL here; the OpenGL device is not tested scaled\n");
            return false;
        }
        EXPECT_EQ(render.renderError.load(), kRenderRunning) << device;
        return render.renderError.load() == kRenderRunning;
    }

    const VideoMode& mode_ = *VideoModeByName(QStringLiteral("720p50"));
    CFrameSet page_;
    std::unique_ptr<ISettingsStore> previous_;
};

// The output display of 720p50 attached beside a desk monitor of 640 x 400
// (so that it lies on the test server's screen): the output window covers
// its 1280 x 720 pixels, no more, and shows the frame the off-line
// renderer makes of the page, pixel for pixel.
TEST_F(XScaledDesktop, OutputWindowCoversTheOutputDisplaysPixels)
{
    if (!InScaledChild())
        return RunScaledChildren();
    const qreal factor = qGuiApp->devicePixelRatio();
    ASSERT_GT(factor, 1.0) << "Qt's window scaling is on";
    XServer server;
    ASSERT_TRUE(server.Valid());
    const int period = mode_.framePeriodUs;
    Add(page_, Solid(0, 0, 1280, 720, 0x40000000u, period));
    Add(page_, Solid(0, 0, 100, 100, 0xFF00FF00u, period));      // green at the top-left corner
    Add(page_, Solid(1180, 620, 100, 100, 0xFF0000FFu, period));  // red at the bottom-right corner

    std::vector<uint32_t> expected;
    {
        COfflineRenderer offline(page_, mode_, 0, QStringLiteral("cpu"));
        ASSERT_EQ(offline.RenderError(), 0);
        ASSERT_EQ(CPagePlayback(page_).PlayAllObjects(), 1);
        TextLookedAt(page_);
        for (int i = 0; i < 3; ++i)
            ASSERT_EQ(offline.RenderNext(), kFrameOk);
        CPicture output;
        ASSERT_TRUE(offline.ReadOutput(&output));
        ASSERT_EQ(output.width, 1280);
        ASSERT_EQ(output.height, 720);
        for (uint32_t pixel : output.pixels)
            expected.push_back(pixel & 0xFFFFFFu);
    }
    CPagePlayback(page_).StopAllObjects();

    for (const char* device : kDevices) {
        SCOPED_TRACE(device);
        CMemoryDisplayBackend displays = CMemoryDisplayBackend::TwoOutputs();
        CMemoryDisplayBackend::Device* desk = displays.FindDevice(QStringLiteral("DP-1"));
        desk->info.modes = {{640, 400, 32, 60, false}};
        desk->current.width = 640;
        desk->current.height = 400;
        CFakeInhibitor inhibitor;
        OutputEngineParams params = OutputParamsForMode(page_, mode_);
        params.fullRange = 0;
        auto render = std::make_unique<CRender>(params, Environment(device, displays, inhibitor));
        if (!Started(device, *render))
            continue;
        Play();
        CRenderWindow* window = nullptr;
        for (QWindow* w : QGuiApplication::allWindows())
            if (auto* output = dynamic_cast<CRenderWindow*>(w))
                window = output;
        ASSERT_NE(window, nullptr);
        ASSERT_EQ(window->displayRect, (CRect{640, 0, 1920, 720}));
        const unsigned long id = window->winId();

        const NativeGeometry display{640, 0, 1280, 720};
        std::vector<uint32_t> shown;
        WaitWithEvents([&] {
            if (server.Geometry(id) != display)
                return false;
            shown = server.Pixels(id, 1280, 720);
            return Compare(shown, expected, 1280) == "same";
        });
        EXPECT_EQ(server.Geometry(id), display);
        EXPECT_EQ(Compare(shown, expected, 1280), "same");

        // A pointer that strays onto the output is put just left of the
        // display at the same height, in the server's pixels.
        const QPointF local(100, 50);
        QMouseEvent move(QEvent::MouseMove, local, window->mapToGlobal(local), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(window, &move);
        const QPoint beside(639, static_cast<int>(std::lround(50 * factor)));
        WaitWithEvents([&] { return server.Pointer() == beside; });
        EXPECT_EQ(server.Pointer(), beside);
        render.reset();
    }
}

// The preview's canvas spreads over the whole window, in the window's own
// pixels, also after the window has changed size.
TEST_F(XScaledDesktop, PreviewFillsItsWindow)
{
    if (!InScaledChild())
        return RunScaledChildren();
    const qreal factor = qGuiApp->devicePixelRatio();
    ASSERT_GT(factor, 1.0) << "Qt's window scaling is on";
    XServer server;
    ASSERT_TRUE(server.Valid());
    Add(page_, Solid(0, 0, 1280, 720, 0xFF00FF00u, mode_.framePeriodUs));  // opaque green, the whole canvas

    for (const char* device : kDevices) {
        SCOPED_TRACE(device);
        QWindow preview;
        preview.resize(320, 180);
        CMemoryDisplayBackend displays = CMemoryDisplayBackend::TwoOutputs();
        CFakeInhibitor inhibitor;
        OutputEngineParams params = OutputParamsForMode(page_, mode_);
        params.previewWindow = &preview;
        auto render = std::make_unique<CRender>(params, Environment(device, displays, inhibitor));
        if (!Started(device, *render))
            continue;
        preview.show();
        Play();
        const unsigned long id = preview.winId();
        for (QSize logical : {QSize(320, 180), QSize(400, 300)}) {
            preview.resize(logical);
            const QSize native = logical * factor;
            const std::vector<uint32_t> green(static_cast<size_t>(native.width()) * native.height(), 0x00FF00u);
            std::vector<uint32_t> shown;
            WaitWithEvents([&] {
                const NativeGeometry geometry = server.Geometry(id);
                if (geometry.width != native.width() || geometry.height != native.height())
                    return false;
                shown = server.Pixels(id, native.width(), native.height());
                return Compare(shown, green, native.width()) == "same";
            });
            EXPECT_EQ(server.Geometry(id).width, native.width());
            EXPECT_EQ(server.Geometry(id).height, native.height());
            EXPECT_EQ(Compare(shown, green, native.width()), "same") << native.width() << " x " << native.height();
        }
        render.reset();
        CPagePlayback(page_).StopAllObjects();
    }
}

}  // namespace
