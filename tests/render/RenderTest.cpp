#include "DeviceScene.h"
#include "RenderFixture.h"
#include "support/ForwardingDevice.h"
#include "Requirements.h"

#include "app/MemorySettingsStore.h"
#include "app/SettingsRegister.h"
#include "content/PagePlayback.h"
#include "playback/FrameTextSource.h"
#include "model/Picture.h"
#include "render/display/MemoryDisplayBackend.h"
#include "render/core/OfflineRenderer.h"
#include "render/core/RenderWindow.h"

#include <EGL/egl.h>

#include <QGuiApplication>
#include <QImage>
#include <QStringList>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

using namespace renderfixture;

namespace {

class Renderer : public ::testing::Test
{
protected:
    void SetUp() override { previous_ = InstallSettingsStore(std::make_unique<CMemorySettingsStore>()); }
    void TearDown() override { InstallSettingsStore(std::move(previous_)); }

    // The CPU device on a window, displays and screen saver of the test.
    static CRenderEnvironment WindowEnvironment(CMemoryDisplayBackend& displays, CFakeInhibitor& inhibitor)
    {
        CRenderEnvironment environment;
        environment.device = QStringLiteral("cpu");
        environment.displayBackend = &displays;
        environment.inhibitor = &inhibitor;
        environment.raisePriorities = false;
        return environment;
    }

    // The page in 720p50 with limited range.
    OutputEngineParams Params720p50()
    {
        OutputEngineParams params = OutputParamsForMode(page_, *VideoModeByName(QStringLiteral("720p50")));
        params.fullRange = 0;
        return params;
    }

    CFrameSet page_;
    std::unique_ptr<ISettingsStore> previous_;
};

// A device with textures too small for the composition target.
class CSmallDevice final : public IGraphicsDevice
{
public:
    explicit CSmallDevice(std::unique_ptr<IGraphicsDevice> inner) : inner_(std::move(inner))
    {
        description_ = inner_->Description();
        description_.maxTextureSize = 1024;
    }
    const DeviceDescription& Description() const override { return description_; }
    void ReleaseThread() override {}
    std::unique_ptr<IDeviceTexture> CreateTexture(int w, int h) override { return inner_->CreateTexture(w, h); }
    IDeviceTexture* CompositionTarget() override { return inner_->CompositionTarget(); }
    bool LockTexture(IDeviceTexture*, LockedRect*, const DeviceRect*) override { return false; }
    bool UnlockTexture(IDeviceTexture*) override { return false; }
    bool UploadVertices(const Vertex*, int) override { return false; }
    std::unique_ptr<IDeviceEffect> CreateEffect(EffectId id) override { return inner_->CreateEffect(id); }
    bool SetRenderTarget(IDeviceTexture*) override { return false; }
    void Clear(uint32_t) override {}
    void DrawQuad(int) override {}
    DeviceStatus Present() override { return DeviceStatus::kFailed; }
    bool ReadBackBuffer(CPicture*) override { return false; }
    bool ReadTexture(IDeviceTexture*, CPicture*) override { return false; }

private:
    std::unique_ptr<IGraphicsDevice> inner_;
    DeviceDescription description_;
};

TEST_F(Renderer, StartFailuresGiveTheirCodeAndLeaveNothingRunning)
{
    CMemoryDisplayBackend noOutput;  // no display at all
    const struct
    {
        const char* name;
        const char* device;
        bool displayFails;
        std::function<std::unique_ptr<IGraphicsDevice>(const DeviceRequest&, QString*)> create;
        int renderError;
    } cases[] = {
        {"display not configured", "cpu", true, nullptr, 1},
        {"OpenGL not available", "gl",  false,
         [](const DeviceRequest&, QString* error) -> std::unique_ptr<IGraphicsDevice> {
             *error = QStringLiteral("no OpenGL here");
             return nullptr;
         },
         2},
        {"device creation fails", "cpu", false,
         [](const DeviceRequest&, QString* error) -> std::unique_ptr<IGraphicsDevice> {
             *error = QStringLiteral("refused");
             return nullptr;
         },
         3},
        {"textures too small", "cpu", false,
         [](const DeviceRequest& request, QString* error) -> std::unique_ptr<IGraphicsDevice> {
             return std::make_unique<CSmallDevice>(CreateGraphicsDevice(request, error));
         },
         4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CRenderEnvironment environment;
        environment.device = QString::fromLatin1(c.device);
        environment.createDevice = c.create;
        environment.raisePriorities = false;
        CFakeInhibitor inhibitor;
        environment.inhibitor = &inhibitor;
        CMemoryDisplayBackend displays = CMemoryDisplayBackend::TwoOutputs();
        environment.displayBackend = c.displayFails ? &noOutput : &displays;
        auto render = std::make_unique<CRender>(Params720p50(), environment);
        EXPECT_EQ(render->renderError.load(), c.renderError);
        EXPECT_EQ(page_.outputActive.load(), 0) << "no render thread ran";
        EXPECT_EQ(inhibitor.inhibits, 0) << "the screen saver is left alone";
        render.reset();
        if (!c.displayFails) {
            EXPECT_FALSE(displays.FindDevice(QStringLiteral("HDMI-1"))->active) << "the output display is detached again";
        }
    }
}

TEST_F(Renderer, OutputModeCoversTheOutputDisplayAndRestoresEverything)
{
    const struct
    {
        int noRestore;
        bool attachedAfter;
    } cases[] = {{0, false}, {1, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.noRestore);
        CMemoryDisplayBackend displays = CMemoryDisplayBackend::TwoOutputs();
        CFakeInhibitor inhibitor;
        const CRenderEnvironment environment = WindowEnvironment(displays, inhibitor);
        const VideoMode& mode = *VideoModeByName(QStringLiteral("720p50"));
        OutputEngineParams params = OutputParamsForMode(page_, mode);
        params.noRestoreDisplays = c.noRestore;
        params.fullRange = 1;
        auto render = std::make_unique<CRender>(params, environment);
        ASSERT_EQ(render->renderError.load(), 0);
        EXPECT_TRUE(inhibitor.inhibited);

        // The output window: topmost, frameless, no cursor, "HDMI", right of
        // the primary display.
        CRenderWindow* window = nullptr;
        for (QWindow* w : QGuiApplication::allWindows())
            if (auto* output = dynamic_cast<CRenderWindow*>(w))
                window = output;
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->title(), QStringLiteral("HDMI"));
        EXPECT_TRUE(window->flags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_TRUE(window->flags().testFlag(Qt::FramelessWindowHint));
        EXPECT_EQ(window->cursor().shape(), Qt::BlankCursor);
        EXPECT_EQ(window->displayRect, (CRect{1920, 0, 3200, 720}));
        EXPECT_TRUE(WaitFor([&] { return render->FramesPresented() >= 2; }));

        render.reset();
        EXPECT_FALSE(inhibitor.inhibited);
        EXPECT_EQ(inhibitor.releases, 1);
        EXPECT_EQ(displays.FindDevice(QStringLiteral("HDMI-1"))->active, c.attachedAfter);
        for (QWindow* w : QGuiApplication::allWindows())
            EXPECT_EQ(dynamic_cast<CRenderWindow*>(w), nullptr) << "the output window is gone";
    }
}

TEST_F(Renderer, PreviewDrawsIntoTheCallersWindowWithoutTouchingDisplays)
{
    QWindow preview;
    preview.resize(320, 180);
    CMemoryDisplayBackend displays = CMemoryDisplayBackend::TwoOutputs();
    CFakeInhibitor inhibitor;
    OutputEngineParams params = Params720p50();
    params.previewWindow = &preview;
    auto render = std::make_unique<CRender>(params, WindowEnvironment(displays, inhibitor));
    ASSERT_EQ(render->renderError.load(), 0);
    EXPECT_TRUE(WaitFor([&] { return render->FramesPresented() >= 2; }));
    EXPECT_TRUE(displays.requests.isEmpty()) << "preview configures no display";
    EXPECT_TRUE(inhibitor.inhibited);
    render->StopAndCollect();  // threads first, as the bench does: the screen saver still comes back
    render.reset();
    EXPECT_FALSE(inhibitor.inhibited);
}

// The OpenGL device with one draw that leaves an OpenGL error behind, as a
// driver may for a call it does not like.
class CGlErrorDevice final : public CForwardingDevice
{
public:
    CGlErrorDevice(std::unique_ptr<IGraphicsDevice> inner, int failingDraw)
        : CForwardingDevice(std::move(inner)), failingDraw_(failingDraw)
    {
    }
    void DrawQuad(int firstVertex) override
    {
        Inner().DrawQuad(firstVertex);
        if (++draws_ == failingDraw_) {
            // The device's context is current on this thread now.
            using EnableFunction = void (*)(unsigned);
            if (auto enable = reinterpret_cast<EnableFunction>(eglGetProcAddress("glEnable")))
                enable(0xFFFFu);  // not a capability: GL_INVALID_ENUM
        }
    }

private:
    int failingDraw_;
    int draws_ = 0;
};

// Only a failed presentation ends the output; an OpenGL error in one frame
// is logged and the output goes on.
TEST_F(Renderer, OpenGlErrorInAFrameKeepsTheOutputOn)
{
    const int period = VideoModeByName(QStringLiteral("720p50"))->framePeriodUs;
    Add(page_, Solid(100, 100, 400, 200, 0xFF0000FFu, period));
    CRenderEnvironment environment;
    environment.device = QStringLiteral("gl");
    environment.createDevice = [](const DeviceRequest& request, QString* error) -> std::unique_ptr<IGraphicsDevice> {
        auto inner = CreateGraphicsDevice(request, error);
        if (!inner)
            return nullptr;
        return std::make_unique<CGlErrorDevice>(std::move(inner), 12);
    };
    auto render = OffscreenRender(page_, environment);
    if (render->renderError.load() != 0 || render->Device()->api != QStringLiteral("OpenGL"))
        TAVREL_SKIP_WITHOUT(testenv::Need::kOpenGL, "no OpenGL device here");
    ASSERT_TRUE(WaitFor([&] { return page_.outputActive.load() == 1; }));
    CPagePlayback(page_).PlayAllObjects();
    TextLookedAt(page_);
    ASSERT_TRUE(WaitFor([&] { return render->FramesPresented() >= 20 || render->renderError.load() != 0; }));
    EXPECT_EQ(render->renderError.load(), 0);
    EXPECT_EQ(page_.outputActive.load(), 1);
    FrameList list;
    page_.TakeSnapshot(list);
    EXPECT_EQ(list.front()->playing.load(), 1);
    page_.ReleaseSnapshot();
}

// "Use alternative vertical sync method" asks the device for the frame
// clock instead of the vertical blank wait.
TEST_F(Renderer, AlternativeSyncPacesByTheFrameClock)
{
    for (int alternativeSync : {0, 1}) {
        SCOPED_TRACE(alternativeSync);
        CMemoryDisplayBackend displays = CMemoryDisplayBackend::TwoOutputs();
        CFakeInhibitor inhibitor;
        CRenderEnvironment environment = WindowEnvironment(displays, inhibitor);
        DeviceRequest asked;
        environment.createDevice = [&asked](const DeviceRequest& request, QString* error) {
            asked = request;
            return CreateGraphicsDevice(request, error);
        };
        OutputEngineParams params = Params720p50();
        params.alternativeSync = alternativeSync;
        auto render = std::make_unique<CRender>(params, environment);
        ASSERT_EQ(render->renderError.load(), 0);
        EXPECT_EQ(asked.paceByClock, alternativeSync == 1);
        EXPECT_EQ(asked.framePeriodUs, 20000);
        EXPECT_EQ(render->Device()->clockPaced, alternativeSync == 1);
    }
}

// Frames of the off-line renderer.
class OfflineFrames : public Renderer
{
protected:
    const VideoMode& mode_ = *VideoModeByName(QStringLiteral("720p50"));

    std::unique_ptr<COfflineRenderer> Offline(const char* device, int fullRange = 0)
    {
        auto offline = std::make_unique<COfflineRenderer>(page_, mode_, fullRange, QString::fromLatin1(device));
        return offline;
    }

    // The page of the golden frames: solid objects sliding, fading,
    // overlapping, one finishing early.
    void BuildPage()
    {
        const int period = mode_.framePeriodUs;
        auto base = Solid(0, 0, 1280, 720, 0x40000000u, period);  // black, 75 % transparent
        Add(page_, std::move(base));
        auto fading = Solid(100, 100, 400, 200, 0xFF0000FFu, period);  // opaque red, fades in over 400 ms
        fading->fadeIn = 1;
        fading->inDuration = 400;
        Add(page_, std::move(fading));
        auto sliding = Solid(300, 200, 600, 150, 0x8000FF00u, period);  // half green, slides in from the left
        sliding->inEffect = 1;
        sliding->inDuration = 400;
        Add(page_, std::move(sliding));
        auto brief = Solid(800, 500, 200, 100, 0xFFFF0000u, period);  // blue, shows 100 ms and is gone
        brief->showIndefinitely = 0;
        brief->showFor = 100;
        Add(page_, std::move(brief));
    }

    // The page of the text frames: over a dark veil, text with each kind of
    // drop shadow, fixed, sliding and fading in, scrolling and rolling, and
    // an unshadowed text on a solid background that fades out.
    void BuildTextPage()
    {
        const int period = mode_.framePeriodUs;
        Add(page_, Solid(0, 0, 1280, 720, 0x40000000u, period));
        const struct
        {
            CRect rect;
            uint32_t background;
            const char* text;  // lines split at '|'
            int halfPoints;
            uint32_t textRgb;
            int dropShadow;
            int movement;
            int inEffect;
            int fadeIn;
            int showFor;  // 0: indefinitely
            int fadeOut;
        } objects[] = {
            {{40, 40, 640, 160}, 0, "Outline", 96, 0xFFFFFF, kShadowOutline, kMovementFixed, 0, 1, 0, 0},
            {{680, 40, 1240, 160}, 0xC0802000u, "Low shadow", 80, 0xFFFF00, kShadowLow, kMovementFixed, 1, 0, 0, 0},
            {{0, 200, 1280, 300}, 0x80000080u, "Medium shadow scrolls across the screen, on and on...   ", 72, 0xFFFFFF,
             kShadowMedium, kMovementScroll, 0, 0, 0, 0},
            {{40, 340, 640, 680}, 0, "High shadow|rolls up|line by line|to the end", 64, 0xFFFFFF, kShadowHigh,
             kMovementRoll, 0, 0, 0, 0},
            {{700, 360, 1240, 500}, 0xFF30A030u, "No shadow", 64, 0x000000, kShadowNone, kMovementFixed, 0, 0, 800, 1},
        };
        for (const auto& o : objects) {
            auto object = Solid(o.rect.left, o.rect.top, o.rect.Width(), o.rect.Height(), o.background, period);
            object->richText = BoldRtf(QString::fromLatin1(o.text).split(QLatin1Char('|')), o.halfPoints, o.textRgb);
            object->dropShadow = o.dropShadow;
            object->movement = o.movement;
            object->speed = kSpeedFast;
            object->inEffect = o.inEffect;
            object->fadeIn = o.fadeIn;
            object->inDuration = o.inEffect || o.fadeIn ? 400 : 0;
            object->showIndefinitely = o.showFor ? 0 : 1;
            object->showFor = o.showFor;
            object->fadeOut = o.fadeOut;
            object->outDuration = o.fadeOut ? 400 : 0;
            Add(page_, std::move(object));
        }
    }

    // Centred bold Arial (Liberation Sans here) in one colour.
    static QByteArray BoldRtf(const QStringList& lines, int halfPoints, uint32_t rgb)
    {
        QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Arial;}}{\\colortbl ;\\red" +
                         QByteArray::number((rgb >> 16) & 0xFF) + "\\green" + QByteArray::number((rgb >> 8) & 0xFF) +
                         "\\blue" + QByteArray::number(rgb & 0xFF) + ";}\\pard\\qc\\cf1\\b\\f0\\fs" +
                         QByteArray::number(halfPoints) + " ";
        return rtf + lines.join(QStringLiteral("\\par ")).toLatin1() + "}";
    }

    void ExpectGoldenFrames(const char* name, const std::vector<int>& frames);
    void ExpectDevicesAgree(const std::vector<int>& frames);
};

uint32_t Pixel(const CPicture& p, int x, int y)
{
    return p.pixels[static_cast<size_t>(y) * p.width + x];
}

TEST_F(OfflineFrames, EmptyPageEncodesTransparentBlack)
{
    auto offline = Offline("cpu");
    ASSERT_EQ(offline->RenderError(), 0);
    ASSERT_EQ(offline->RenderNext(), kFrameOk);
    CPicture output;
    ASSERT_TRUE(offline->ReadOutput(&output));
    ASSERT_EQ(output.width, 1280);
    // Limited: Y' 0, chroma 128, key 0.
    EXPECT_EQ(Pixel(output, 0, 0) & 0xFFFFFF, 0x008000u);
    EXPECT_EQ(Pixel(output, 1279, 719) & 0xFFFFFF, 0x008000u);

    // Switched to full range while running: the next frame uses it.
    offline->Render().fullRange = 1;
    ASSERT_EQ(offline->RenderNext(), kFrameOk);
    ASSERT_TRUE(offline->ReadOutput(&output));
    EXPECT_EQ(Pixel(output, 0, 0) & 0xFFFFFF, 0x108010u);
}

TEST_F(OfflineFrames, ObjectsAdvanceByOneFramePeriodPerFrame)
{
    BuildPage();
    auto offline = Offline("cpu");
    ASSERT_EQ(offline->RenderError(), 0);
    ASSERT_EQ(CPagePlayback(page_).PlayAllObjects(), 1);
    TextLookedAt(page_);

    FrameList list;
    page_.TakeSnapshot(list);
    CFrame* brief = list.back();
    page_.ReleaseSnapshot();

    // Frame n shows the objects (n - 1) x 20 ms after play: the eleventh
    // frame 180 ms into the 400 ms fade.
    CPicture canvas;
    for (int i = 0; i <= 10; ++i)
        ASSERT_EQ(offline->RenderNext(), kFrameOk);
    EXPECT_EQ(offline->VirtualTimeUs(), 11 * 20000);
    ASSERT_TRUE(offline->ReadCanvas(&canvas));
    ASSERT_EQ(canvas.width, 1280);
    ASSERT_EQ(canvas.height, 720);
    // Background alone: black at alpha 0x40.
    EXPECT_EQ(Pixel(canvas, 10, 10), 0x40000000u);
    // The fading red over it: alpha 0x40 + a (1 - 0x40/255), a = 0.45.
    const uint32_t red = Pixel(canvas, 150, 150);
    EXPECT_NEAR(static_cast<int>(red >> 24), 0x40 + 115 * (255 - 0x40) / 255, 2);
    EXPECT_EQ(red & 0xFFFF, 0u) << "no green or blue";
    EXPECT_EQ(brief->playing.load(), 0) << "an object whose time is up is stopped within the frame";
    EXPECT_FALSE(brief->backgroundTexture);

    // After the effects everything is in place.
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(offline->RenderNext(), kFrameOk);
    ASSERT_TRUE(offline->ReadCanvas(&canvas));
    EXPECT_EQ(Pixel(canvas, 150, 150), 0xFFFF0000u);
    EXPECT_EQ(Pixel(canvas, 850, 550), 0x40000000u) << "the brief object has gone";
    const uint32_t green = Pixel(canvas, 850, 250);
    EXPECT_NEAR(static_cast<int>(green >> 24), 0x40 + 0x80 * (255 - 0x40) / 255, 2);
}

TEST_F(OfflineFrames, DeveloperValuesChangeTheOutput)
{
    const struct
    {
        const char* name;
        IntSetting setting;
        int value;
        int x, y;           // output pixel looked at
        uint32_t expected;  // its colour, R G B
    } cases[] = {
        // Opaque red over 0..400, limited range, one texel per pixel: Y' 0.183,
        // Cb of the pair -0.101 in the even column, key 1.
        {"Y'CbCr", settings::kScale, 1, 300, 300, 0x2F66FFu},
        {"Scale 2 shows the target at half size", settings::kScale, 2, 300, 300, 0x008000u},
        {"NoYCbCrA shows plain colour", settings::kNoYCbCrA, 1, 300, 300, 0xFF0000u},
        // Opaque blue: Y' 0.062, Cb 0.439.
        {"BackColor fills where nothing lies", settings::kBackColor, int(0xFF0000FFu), 600, 600, 0x10F0FFu},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Write(c.setting, c.value);
        {
            CFrameSet page;
            Add(page, Solid(0, 0, 400, 400, 0xFF0000FFu, mode_.framePeriodUs));
            COfflineRenderer offline(page, mode_, 0, QStringLiteral("cpu"));
            ASSERT_EQ(offline.RenderError(), 0);
            CPagePlayback(page).PlayAllObjects();
            TextLookedAt(page);
            ASSERT_EQ(offline.RenderNext(), kFrameOk);
            CPicture output;
            ASSERT_TRUE(offline.ReadOutput(&output));
            const uint32_t pixel = Pixel(output, c.x & ~1, c.y) & 0xFFFFFF;
            for (int shift : {0, 8, 16})
                EXPECT_NEAR(int((pixel >> shift) & 0xFF), int((c.expected >> shift) & 0xFF), 2)
                    << std::hex << pixel << " shift " << std::dec << shift;
        }
        InstallSettingsStore(std::make_unique<CMemorySettingsStore>());
    }
}

// The largest difference of any channel between two pictures of the
// frame's size (256 when either is not of that size).
int WorstDifference(const CPicture& a, const CPicture& b, const VideoMode& mode)
{
    EXPECT_TRUE(scene::SameSize(a, b, mode.displayWidth, mode.displayHeight));
    return scene::MaxDifference(a, b, mode.displayWidth, mode.displayHeight);
}

// Plays the page on the CPU device and compares the canvas and the
// full-range output signal of the given frames (0 is the first) with the
// pictures `name`_canvas_N.png and `name`_full_N.png, once checked by eye.
// TAVREL_UPDATE_GOLDEN=1 writes them anew after an intended change.
void OfflineFrames::ExpectGoldenFrames(const char* name, const std::vector<int>& frames)
{
    auto offline = Offline("cpu", 1);
    ASSERT_EQ(offline->RenderError(), 0);
    CPagePlayback(page_).PlayAllObjects();
    const QString folder = QStringLiteral(TAVREL_FIXTURES_DIR "/render/");
    const bool update = qEnvironmentVariableIntValue("TAVREL_UPDATE_GOLDEN") == 1;
    for (int i = 0; i <= frames.back(); ++i) {
        ASSERT_EQ(offline->RenderNext(), kFrameOk);
        if (std::find(frames.begin(), frames.end(), i) == frames.end())
            continue;
        CPicture canvas, output;
        ASSERT_TRUE(offline->ReadCanvas(&canvas));
        ASSERT_TRUE(offline->ReadOutput(&output));
        const struct
        {
            const CPicture& picture;
            QString name;
            QImage::Format format;
        } kinds[] = {{canvas, QStringLiteral("%1_canvas_%2.png").arg(QLatin1String(name)).arg(i), QImage::Format_ARGB32},
                     {output, QStringLiteral("%1_full_%2.png").arg(QLatin1String(name)).arg(i), QImage::Format_RGB32}};
        for (const auto& k : kinds) {
            SCOPED_TRACE(k.name.toStdString());
            const QImage image(reinterpret_cast<const uchar*>(k.picture.pixels.data()), k.picture.width,
                               k.picture.height, k.picture.width * 4, k.format);
            if (update) {
                ASSERT_TRUE(image.save(folder + k.name));
                continue;
            }
            const QImage golden = QImage(folder + k.name).convertToFormat(QImage::Format_ARGB32);
            ASSERT_EQ(golden.size(), image.size());
            CPicture expected;
            expected.Resize(golden.width(), golden.height());
            for (int y = 0; y < golden.height(); ++y)
                std::memcpy(expected.Row(y), golden.constScanLine(y), static_cast<size_t>(golden.width()) * 4);
            CPicture actual = k.picture;
            if (k.format == QImage::Format_RGB32)
                for (uint32_t& pixel : actual.pixels)
                    pixel |= 0xFF000000u;
            EXPECT_LE(WorstDifference(expected, actual, mode_), 1);
        }
    }
}

// Plays the page on both devices and compares the canvas and the output of
// the given frames.
void OfflineFrames::ExpectDevicesAgree(const std::vector<int>& frames)
{
    std::vector<CPicture> pictures[2];
    const char* devices[2] = {"cpu", "gl"};
    for (int d = 0; d < 2; ++d) {
        auto offline = Offline(devices[d], 1);
        // Only the OpenGL device may be missing; a CPU device that fails to
        // start is a failure, not a reason to skip.
        if (d == 1 && (offline->RenderError() != 0 || offline->Device()->api != QStringLiteral("OpenGL")))
            TAVREL_SKIP_WITHOUT(testenv::Need::kOpenGL, "no OpenGL device here");
        ASSERT_EQ(offline->RenderError(), 0) << devices[d];
        CPagePlayback(page_).PlayAllObjects();
        for (int i = 0; i <= frames.back(); ++i) {
            ASSERT_EQ(offline->RenderNext(), kFrameOk);
            if (std::find(frames.begin(), frames.end(), i) != frames.end()) {
                CPicture canvas, output;
                ASSERT_TRUE(offline->ReadCanvas(&canvas));
                ASSERT_TRUE(offline->ReadOutput(&output));
                pictures[d].push_back(std::move(canvas));
                pictures[d].push_back(std::move(output));
            }
        }
        offline.reset();
    }
    ASSERT_EQ(pictures[0].size(), pictures[1].size());
    for (size_t f = 0; f < pictures[0].size(); ++f) {
        SCOPED_TRACE(testing::Message() << "frame " << frames[f / 2] << (f % 2 ? " output" : " canvas"));
        EXPECT_LE(WorstDifference(pictures[0][f], pictures[1][f], mode_), 2);
    }
}

// A clock crawling in a loop is laid out again as its time moves on; the
// time of Play must not scroll by for ever.
TEST_F(OfflineFrames, LoopingClockCrawlShowsTheTimeMovingOn)
{
    auto clock = Solid(0, 600, 1280, 80, 0, mode_.framePeriodUs);
    clock->movement = kMovementScroll;
    clock->speed = kSpeedFast;
    clock->loop = 1;
    clock->showIndefinitely = 1;
    clock->textSource = kSourceClock;
    clock->clockFormat = QStringLiteral("%H:%M:%S");
    CFrameTextSource(*clock).BuildDefaultText();
    CFrame* object = clock.get();
    Add(page_, std::move(clock));
    auto offline = Offline("cpu");
    ASSERT_EQ(offline->RenderError(), 0);
    CPagePlayback(page_).PlayAllObjects();
    ASSERT_EQ(offline->RenderNext(), kFrameOk);
    const QString firstText = object->currentText;
    const std::vector<uint32_t> firstChunk = object->chunkPicture.pixels;
    ASSERT_FALSE(firstText.isEmpty());
    for (int frame = 1; frame <= 4 * 50; ++frame)
        ASSERT_EQ(offline->RenderNext(), kFrameOk);
    EXPECT_EQ(object->playing.load(), 1);
    EXPECT_NE(object->currentText, firstText) << "four seconds on, the text still says " << firstText.toStdString();
    EXPECT_NE(object->chunkPicture.pixels, firstChunk) << "the chunk on its way to the screen is the first one";
}

TEST_F(OfflineFrames, GoldenFrames)
{
    BuildPage();
    TextLookedAt(page_);
    ExpectGoldenFrames("page", {8, 15});
}

TEST_F(OfflineFrames, BothDevicesGiveTheSameFrames)
{
    BuildPage();
    TextLookedAt(page_);
    ExpectDevicesAgree({0, 7, 15, 23});
}

// Frame 10: the outline fades in and the low shadow slides in; 30: the
// unshadowed text is half faded out while the medium shadow scrolls and the
// high one rolls; 60: the unshadowed text has gone, the others moved on.
TEST_F(OfflineFrames, GoldenFramesOfText)
{
    BuildTextPage();
    ExpectGoldenFrames("text", {10, 30, 60});
}

TEST_F(OfflineFrames, BothDevicesDrawTextAndShadowsAlike)
{
    BuildTextPage();
    ExpectDevicesAgree({10, 30, 60});
}

}  // namespace
