#include "app/MemorySettingsStore.h"
#include "app/SettingsRegister.h"
#include "render/display/DisplayConfiguration.h"
#include "render/display/MemoryDisplayBackend.h"
#include "render/display/MultiMonitor.h"
#include "render/display/VideoMode.h"
#include "render/display/XRandrDisplayBackend.h"

#include "Requirements.h"

#include <QSize>

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include "OpenTestDisplay.h"

#include <cstring>
#include <vector>

namespace {

class OutputDisplay : public ::testing::Test
{
protected:
    void SetUp() override { previous_ = InstallSettingsStore(std::make_unique<CMemorySettingsStore>()); }
    void TearDown() override { InstallSettingsStore(std::move(previous_)); }

    std::unique_ptr<CMultiMonitor> Configure(const char* modeName, const QString& adapter = {}, int noRestore = 0)
    {
        const VideoMode* mode = VideoModeByName(QString::fromLatin1(modeName));
        return std::make_unique<CMultiMonitor>(backend_, adapter, mode->displayWidth, mode->displayHeight,
                                               mode->refreshRate, noRestore);
    }

    CMemoryDisplayBackend backend_ = CMemoryDisplayBackend::TwoOutputs();
    std::unique_ptr<ISettingsStore> previous_;
};

TEST_F(OutputDisplay, ConnectionListOffersOutputsWithTheWantedSize)
{
    CMemoryDisplayBackend::Device small;
    small.info.deviceName = QStringLiteral("VGA-1");
    small.info.deviceString = QStringLiteral("Old adapter");
    small.info.monitors = {{QStringLiteral("VGA-1-0"), QStringLiteral("Small"), 1}};
    small.info.modes = {{1024, 768, 32, 60, false}};
    backend_.AddDevice(small);
    CMemoryDisplayBackend::Device noMonitor;
    noMonitor.info.deviceName = QStringLiteral("HDMI-2");
    noMonitor.info.modes = {{1920, 1080, 32, 60, false}};
    backend_.AddDevice(noMonitor);

    const CDisplayConfiguration displays(backend_, 1920, 1080);
    EXPECT_EQ(displays.primaryDeviceName, QStringLiteral("DP-1"));
    EXPECT_EQ(displays.primaryMonitorName, QStringLiteral("Desk monitor"));
    EXPECT_EQ(displays.cloneDetected, 0);
    EXPECT_EQ(displays.ConnectionListEntries(QStringLiteral("Auto")),
              (QStringList{"Auto", "1. Test adapter - Video converter"}));
    EXPECT_EQ(displays.ConnectionListValues(), (QStringList{"", "HDMI-1"}));
    EXPECT_EQ(displays.ConnectionListIndex(QStringLiteral("hdmi-1")), 1) << "the stored name matches in any case";
    EXPECT_EQ(displays.ConnectionListIndex(QStringLiteral("HDMI-9")), 0) << "a vanished output selects Auto";

    const CDisplayConfiguration any(backend_, 0, 0);
    EXPECT_EQ(any.outputDeviceNames, (QStringList{"HDMI-1", "VGA-1"}));
}

TEST_F(OutputDisplay, AutoAttachesTheOutputRightOfThePrimary)
{
    auto monitor = Configure("1080p50");
    EXPECT_EQ(monitor->configured, 1);
    EXPECT_EQ(monitor->outputDeviceName, QStringLiteral("HDMI-1"));
    EXPECT_EQ(monitor->primaryDeviceName, QStringLiteral("DP-1"));
    EXPECT_EQ(monitor->displayRect, (CRect{1920, 0, 3840, 1080}));
    EXPECT_EQ(backend_.requests,
              (QStringList{"stage DP-1 1920x1200x32@60 at 0,0", "stage HDMI-1 1920x1080x32@50 at 1920,0", "apply",
                           "set HDMI-1 1920x1080x32@50 at 1920,0"}));

    backend_.requests.clear();
    monitor.reset();
    EXPECT_EQ(backend_.requests, (QStringList{"stage DP-1 1920x1200x32@60 at 0,0", "stage HDMI-1 0x0 at 0,0", "apply",
                                              "desktop 1920x1200"}));
    EXPECT_FALSE(backend_.FindDevice(QStringLiteral("HDMI-1"))->active) << "switching off detaches the output";
}

// The primary display is put back at the origin in its own mode, not in
// whichever mode of its size the system finds first.
TEST_F(OutputDisplay, PrimaryKeepsItsExactMode)
{
    const struct
    {
        const char* what;
        DisplayModeInfo listedFirst;
    } cases[] = {
        {"another rate", {1920, 1200, 32, 50, false}},
        {"interlaced", {1920, 1200, 32, 30, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CMemoryDisplayBackend backend = CMemoryDisplayBackend::TwoOutputs();
        CMemoryDisplayBackend::Device* primary = backend.FindDevice(QStringLiteral("DP-1"));
        primary->info.modes.insert(primary->info.modes.begin(), c.listedFirst);
        {
            CMultiMonitor monitor(backend, {}, 1920, 1080, 50, 0);
            ASSERT_EQ(monitor.configured, 1);
            EXPECT_EQ(primary->current.refreshRate, 60) << "output on";
            EXPECT_FALSE(primary->current.interlaced) << "output on";
        }
        EXPECT_EQ(primary->current.refreshRate, 60) << "output off";
        EXPECT_FALSE(primary->current.interlaced) << "output off";
    }
}

// Attaching the output grows the desktop; switching the output off gives it
// its size back, so the pointer and new windows stay where a display shows
// them. Kept attached, the output keeps the room it needs.
TEST_F(OutputDisplay, SwitchingOffGivesTheDesktopItsSizeBack)
{
    for (int noRestore : {0, 1}) {
        SCOPED_TRACE(noRestore);
        CMemoryDisplayBackend backend = CMemoryDisplayBackend::TwoOutputs();
        auto monitor = std::make_unique<CMultiMonitor>(backend, QString(), 1280, 720, 50, noRestore);
        ASSERT_EQ(monitor->configured, 1);
        EXPECT_EQ(backend.desktop.width, 3200);
        EXPECT_EQ(backend.desktop.height, 1200);
        monitor.reset();
        EXPECT_EQ(backend.desktop.width, noRestore ? 3200 : 1920);
        EXPECT_EQ(backend.desktop.height, 1200);
        EXPECT_EQ(backend.desktop.widthMm, noRestore ? 0 : 508) << "the physical size comes back with it";
    }

    // An output that was on before keeps the desktop as it was.
    CMemoryDisplayBackend backend = CMemoryDisplayBackend::TwoOutputs();
    auto* output = backend.FindDevice(QStringLiteral("HDMI-1"));
    output->active = true;
    output->current = {kFieldPosition | kFieldWidth | kFieldHeight, 1920, 0, 1280, 720, 32, 50, false};
    backend.desktop = {3200, 1200, 846, 318};
    {
        CMultiMonitor monitor(backend, {}, 1280, 720, 50, 0);
        EXPECT_EQ(monitor.configured, 1);
    }
    EXPECT_EQ(backend.desktop.width, 3200);
    EXPECT_FALSE(backend.requests.contains(QStringLiteral("desktop 1920x1200")));
}

TEST_F(OutputDisplay, NoRestoreLeavesTheOutputAttached)
{
    auto monitor = Configure("720p50", {}, 1);
    ASSERT_EQ(monitor->configured, 1);
    backend_.requests.clear();
    monitor.reset();
    EXPECT_TRUE(backend_.requests.isEmpty());
    EXPECT_TRUE(backend_.FindDevice(QStringLiteral("HDMI-1"))->active);
}

TEST_F(OutputDisplay, NamedOutputIsMatchedExactly)
{
    CMemoryDisplayBackend::Device other;
    other.info.deviceName = QStringLiteral("HDMI-2");
    other.info.deviceString = QStringLiteral("Test adapter");
    other.info.monitors = {{QStringLiteral("HDMI-2-0"), QStringLiteral("Keyer"), 1}};
    other.info.modes = {{1920, 1080, 32, 50, false}};
    backend_.AddDevice(other);

    auto chosen = Configure("1080p50", QStringLiteral("HDMI-2"));
    EXPECT_EQ(chosen->outputDeviceName, QStringLiteral("HDMI-2"));
    EXPECT_EQ(chosen->configured, 1);
    chosen.reset();

    // A stored name of an output that is gone (or spelled in another case)
    // falls back to the fixed name, which fails visibly: error 1 for the renderer.
    for (const char* stored : {"HDMI-7", "hdmi-2"}) {
        auto missing = Configure("1080p50", QString::fromLatin1(stored));
        EXPECT_EQ(missing->outputDeviceName, QString::fromLatin1(CMultiMonitor::kFallbackOutputName)) << stored;
        EXPECT_EQ(missing->configured, 0) << stored;
    }
}

TEST_F(OutputDisplay, InterlacedModeGetsASecondChanceWithoutTheFlag)
{
    backend_.rejectInterlaced = true;
    auto monitor = Configure("1080i50");
    EXPECT_EQ(monitor->configured, 1);
    EXPECT_EQ(backend_.requests.mid(1, 2), (QStringList{"stage HDMI-1 1920x1080x32@25i at 1920,0",
                                                        "stage HDMI-1 1920x1080x32@25 at 1920,0"}));
}

TEST_F(OutputDisplay, ProgressiveModeGetsNoSecondChance)
{
    // The output offers no 1080p at 50 Hz.
    auto* device = backend_.FindDevice(QStringLiteral("HDMI-1"));
    std::erase_if(device->info.modes, [](const DisplayModeInfo& m) { return m.height == 1080 && m.refreshRate == 50; });
    auto monitor = Configure("1080p50");
    EXPECT_EQ(monitor->configured, 0);
    EXPECT_EQ(backend_.requests.size(), 2) << backend_.requests.join(QStringLiteral("; ")).toStdString();
}

TEST_F(OutputDisplay, OutputAlreadyInModeGoesStraightToTheAftercheck)
{
    auto* device = backend_.FindDevice(QStringLiteral("HDMI-1"));
    device->active = true;
    device->current = {kFieldPosition | kFieldWidth | kFieldHeight, 1920, 0, 1920, 1080, 32, 60, false};
    auto monitor = Configure("1080p60");
    EXPECT_EQ(monitor->configured, 1);
    EXPECT_TRUE(backend_.requests.isEmpty()) << backend_.requests.join(QStringLiteral("; ")).toStdString();
    EXPECT_EQ(monitor->displayRect, (CRect{1920, 0, 3840, 1080}));
}

TEST_F(OutputDisplay, FailuresLeaveItUnconfigured)
{
    struct Case
    {
        const char* what;
        void (*arrange)(CMemoryDisplayBackend&);
    };
    const Case cases[] = {
        {"apply fails", [](CMemoryDisplayBackend& b) { b.failApply = kDisplayChangeFailed; }},
        {"direct change fails", [](CMemoryDisplayBackend& b) { b.failDirect = kDisplayChangeFailed; }},
        {"primary unreadable", [](CMemoryDisplayBackend& b) { b.FindDevice(QStringLiteral("DP-1"))->active = false; }},
    };
    for (const Case& c : cases) {
        CMemoryDisplayBackend backend = CMemoryDisplayBackend::TwoOutputs();
        c.arrange(backend);
        CMultiMonitor monitor(backend, {}, 1920, 1080, 50, 0);
        EXPECT_EQ(monitor.configured, 0) << c.what;
    }
}

TEST_F(OutputDisplay, AftercheckRejectsAnotherRate)
{
    // A driver that takes 50 Hz but runs the output at 60 Hz.
    struct Liar : IDisplayBackend
    {
        CMemoryDisplayBackend real = CMemoryDisplayBackend::TwoOutputs();
        std::vector<DisplayDeviceInfo> EnumerateDevices() override { return real.EnumerateDevices(); }
        bool CurrentSettings(const QString& n, DisplaySettings& s) override
        {
            const bool ok = real.CurrentSettings(n, s);
            if (ok && n == QStringLiteral("HDMI-1"))
                s.refreshRate = 60;
            return ok;
        }
        int StageSettings(const QString& n, const DisplaySettings& s) override { return real.StageSettings(n, s); }
        int ApplyStaged() override { return real.ApplyStaged(); }
        int SetSettings(const QString& n, const DisplaySettings& s) override { return real.SetSettings(n, s); }
        std::vector<MonitorArea> EnumerateMonitors() override { return real.EnumerateMonitors(); }
        bool ExtendTopology(int& r) override { return real.ExtendTopology(r); }
        bool CurrentDesktopSize(DesktopSize& s) override { return real.CurrentDesktopSize(s); }
        int SetDesktopSize(const DesktopSize& s) override { return real.SetDesktopSize(s); }
    } liar;
    CMultiMonitor monitor(liar, {}, 1920, 1080, 50, 0);
    EXPECT_EQ(monitor.configured, 0);
}

TEST_F(OutputDisplay, CloneModeIsEndedWhenNoOutputIsFree)
{
    CMemoryDisplayBackend backend;
    CMemoryDisplayBackend::Device primary;
    primary.info.deviceName = QStringLiteral("DP-1");
    primary.info.stateFlags = kDeviceAttachedToDesktop | kDevicePrimary;
    primary.info.monitors = {{QStringLiteral("m0"), QStringLiteral("Desk"), 3}, {QStringLiteral("m1"), QStringLiteral("Clone"), 3}};
    primary.active = true;
    primary.current = {0, 0, 0, 1920, 1080, 32, 60, false};
    backend.AddDevice(primary);
    CMultiMonitor monitor(backend, {}, 1920, 1080, 50, 0);
    EXPECT_EQ(backend.requests.value(0), QStringLiteral("extend"));
    EXPECT_EQ(monitor.configured, 0);
}

TEST_F(OutputDisplay, DebugWindowTouchesNoDisplay)
{
    Write(settings::kWindow, 1);
    auto monitor = Configure("720p50");
    EXPECT_EQ(monitor->configured, 1);
    EXPECT_EQ(monitor->displayRect, (CRect{0, 0, 320, 180}));
    Settings().WriteInt(QStringLiteral("Debug"), QStringLiteral("Width"), 640);
    auto sized = Configure("720p50");
    EXPECT_EQ(sized->displayRect, (CRect{0, 0, 640, 180}));
    monitor.reset();
    sized.reset();
    EXPECT_TRUE(backend_.requests.isEmpty());
}

TEST(XRandrDisplay, ListsTheXServersOutputs)
{
    if (!testenv::HasXDisplay())
        TAVREL_SKIP_WITHOUT(testenv::Need::kXDisplay, "DISPLAY is not set");
    CXRandrDisplayBackend backend;
    ASSERT_TRUE(backend.IsAvailable());
    const auto devices = backend.EnumerateDevices();
    ASSERT_FALSE(devices.empty());
    const auto primary = std::find_if(devices.begin(), devices.end(), [](const DisplayDeviceInfo& d) {
        return (d.stateFlags & kDevicePrimary) && (d.stateFlags & kDeviceAttachedToDesktop);
    });
    ASSERT_NE(primary, devices.end());
    DisplaySettings current;
    ASSERT_TRUE(backend.CurrentSettings(primary->deviceName, current));
    EXPECT_GT(current.width, 0);
    EXPECT_GT(current.height, 0);
    const auto areas = backend.EnumerateMonitors();
    ASSERT_FALSE(areas.empty());
    EXPECT_EQ(areas.front().monitor.Width(), current.width);

    // A single-output server has nothing to offer for the output.
    const CDisplayConfiguration displays(backend, 1920, 1080);
    EXPECT_EQ(displays.primaryDeviceName, primary->deviceName);
    DisplaySettings bogus;
    bogus.fields = kFieldWidth | kFieldHeight | kFieldFrequency;
    bogus.width = 1234;
    bogus.height = 567;
    bogus.refreshRate = 13;
    EXPECT_EQ(backend.StageSettings(primary->deviceName, bogus), kDisplayChangeBadMode);
    EXPECT_EQ(backend.StageSettings(QStringLiteral("no-such-output"), bogus), kDisplayChangeFailed);
}

// The test X server's first active output ("screen" on Xvfb) with modes of
// our own added; the output's mode, the screen's size and the modes list
// are put back as they were afterwards.
class XServerModes
{
public:
    XServerModes()
    {
        display_ = OpenTestDisplay();
        if (!display_)
            return;
        root_ = DefaultRootWindow(display_);
        XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display_, root_);
        for (int i = 0; resources && i < resources->noutput && !output_; ++i) {
            XRROutputInfo* info = XRRGetOutputInfo(display_, resources, resources->outputs[i]);
            if (info && info->crtc != None) {
                XRRCrtcInfo* crtc = XRRGetCrtcInfo(display_, resources, info->crtc);
                if (crtc && crtc->mode != None) {
                    output_ = resources->outputs[i];
                    name_ = QString::fromUtf8(info->name, info->nameLen);
                    crtc_ = info->crtc;
                    originalMode_ = crtc->mode;
                }
                if (crtc)
                    XRRFreeCrtcInfo(crtc);
            }
            if (info)
                XRRFreeOutputInfo(info);
        }
        if (resources)
            XRRFreeScreenResources(resources);
        const int screen = DefaultScreen(display_);
        originalScreen_ = {DisplayWidth(display_, screen), DisplayHeight(display_, screen),
                           DisplayWidthMM(display_, screen), DisplayHeightMM(display_, screen)};
    }
    ~XServerModes()
    {
        if (!display_)
            return;
        // Whatever the test left behind, the rest is put back.
        const XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        if (output_) {
            XRRSetScreenSize(display_, root_, originalScreen_.width, originalScreen_.height, originalScreen_.widthMm,
                             originalScreen_.heightMm);
            SetCrtc(originalMode_, 0, 0);
            for (RRMode mode : added_) {
                XRRDeleteOutputMode(display_, output_, mode);
                XRRDestroyMode(display_, mode);
            }
        }
        XSync(display_, False);
        XSetErrorHandler(previous);
        XCloseDisplay(display_);
    }
    bool Valid() const { return output_ != None; }
    const QString& OutputName() const { return name_; }

    // A mode of the given size and refresh rate (frames per second for an
    // interlaced one, in thousandths), offered by the output from now on.
    RRMode Add(const char* name, int width, int height, int milliHertz, bool interlaced = false)
    {
        XRRModeInfo mode;
        std::memset(&mode, 0, sizeof mode);
        mode.width = static_cast<unsigned>(width);
        mode.height = static_cast<unsigned>(height);
        mode.hTotal = static_cast<unsigned>(width + 80);
        mode.vTotal = static_cast<unsigned>(height + 50);
        mode.dotClock = static_cast<unsigned long>(static_cast<double>(mode.hTotal) * mode.vTotal * milliHertz / 1000.0);
        mode.modeFlags = interlaced ? RR_Interlace : 0;
        mode.name = const_cast<char*>(name);
        mode.nameLength = static_cast<unsigned>(std::strlen(name));
        const RRMode id = XRRCreateMode(display_, root_, &mode);
        XRRAddOutputMode(display_, output_, id);
        XSync(display_, False);
        added_.push_back(id);
        return id;
    }

    void SetCrtc(RRMode mode, int x, int y)
    {
        XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display_, root_);
        XRRSetCrtcConfig(display_, resources, crtc_, CurrentTime, x, y, mode, RR_Rotate_0, &output_, 1);
        XRRFreeScreenResources(resources);
        XSync(display_, False);
    }

    RRMode CurrentMode()
    {
        XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display_, root_);
        XRRCrtcInfo* crtc = XRRGetCrtcInfo(display_, resources, crtc_);
        const RRMode mode = crtc ? crtc->mode : None;
        if (crtc)
            XRRFreeCrtcInfo(crtc);
        XRRFreeScreenResources(resources);
        return mode;
    }

    // The root window's size as the server has it now.
    QSize ScreenSize()
    {
        Window root = 0;
        int x = 0;
        int y = 0;
        unsigned width = 0;
        unsigned height = 0;
        unsigned border = 0;
        unsigned depth = 0;
        XGetGeometry(display_, root_, &root, &x, &y, &width, &height, &border, &depth);
        return QSize(static_cast<int>(width), static_cast<int>(height));
    }

    const DesktopSize& OriginalScreen() const { return originalScreen_; }

private:
    Display* display_ = nullptr;
    Window root_ = 0;
    RROutput output_ = None;
    RRCrtc crtc_ = None;
    RRMode originalMode_ = None;
    QString name_;
    DesktopSize originalScreen_;
    std::vector<RRMode> added_;
};

DisplaySettings At(int x, int width, int height, int rate = 0, bool interlaced = false)
{
    DisplaySettings settings;
    settings.fields = kFieldPosition | kFieldWidth | kFieldHeight | kFieldBitsPerPixel;
    if (rate) {
        settings.fields |= kFieldFrequency | kFieldDisplayFlags;
        settings.refreshRate = rate;
        settings.interlaced = interlaced;
    }
    settings.x = x;
    settings.width = width;
    settings.height = height;
    settings.bitsPerPixel = 32;
    return settings;
}

// A display set again in its size (and rate) keeps its very mode: the
// server's first mode of that size may be another rate or interlaced, and
// 59.94 and 60 Hz round alike. Changes the test X server's display.
TEST(XRandrDisplay, ReSettingADisplayKeepsItsExactMode)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        TAVREL_SKIP_WITHOUT(testenv::Need::kXDisplay, "DISPLAY is not set");
    XServerModes server;
    ASSERT_TRUE(server.Valid());
    const DesktopSize& screen = server.OriginalScreen();
    server.Add("tavrel-60", screen.width, screen.height, 60000);  // listed first of the rounded rate
    const RRMode interlaced = server.Add("tavrel-30i", screen.width, screen.height, 30000, true);
    const RRMode almostSixty = server.Add("tavrel-59.95", screen.width, screen.height, 59950);
    const struct
    {
        const char* what;
        DisplaySettings settings;
        RRMode expected;
    } cases[] = {
        {"its size", At(0, screen.width, screen.height), almostSixty},
        {"its size and rounded rate", At(0, screen.width, screen.height, 60), almostSixty},
        {"another mode of its size", At(0, screen.width, screen.height, 30, true), interlaced},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        server.SetCrtc(almostSixty, 0, 0);
        CXRandrDisplayBackend backend;
        ASSERT_EQ(backend.StageSettings(server.OutputName(), c.settings), kDisplayChangeSuccessful);
        ASSERT_EQ(backend.ApplyStaged(), kDisplayChangeSuccessful);
        EXPECT_EQ(server.CurrentMode(), c.expected);
    }
}

// The screen grows to hold an output placed beyond it, is read as the
// server has it (not as the connection found it), refuses to shrink under
// an output, and takes its old size back. Changes the test X server's
// screen.
TEST(XRandrDisplay, ScreenGrowsForAnOutputAndTakesItsSizeBack)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        TAVREL_SKIP_WITHOUT(testenv::Need::kXDisplay, "DISPLAY is not set");
    XServerModes server;
    ASSERT_TRUE(server.Valid());
    server.Add("tavrel-720p50", 1280, 720, 50000);
    CXRandrDisplayBackend backend;
    DesktopSize before;
    ASSERT_TRUE(backend.CurrentDesktopSize(before));
    EXPECT_EQ(QSize(before.width, before.height), server.ScreenSize());

    ASSERT_EQ(backend.SetSettings(server.OutputName(), At(0, 1280, 720, 50)), kDisplayChangeSuccessful);
    ASSERT_EQ(backend.SetDesktopSize({1280, 720, 0, 0}), kDisplayChangeSuccessful);
    DesktopSize now;
    ASSERT_TRUE(backend.CurrentDesktopSize(now));
    EXPECT_EQ(QSize(now.width, now.height), QSize(1280, 720));
    EXPECT_EQ(server.ScreenSize(), QSize(1280, 720));

    // Beyond the right edge: the screen grows.
    ASSERT_EQ(backend.SetSettings(server.OutputName(), At(640, 1280, 720, 50)), kDisplayChangeSuccessful);
    ASSERT_TRUE(backend.CurrentDesktopSize(now));
    EXPECT_EQ(QSize(now.width, now.height), QSize(1920, 720));
    EXPECT_EQ(server.ScreenSize(), QSize(1920, 720));
    EXPECT_EQ(backend.SetDesktopSize({1280, 720, 0, 0}), kDisplayChangeFailed) << "an output would be cut";

    ASSERT_EQ(backend.SetSettings(server.OutputName(), At(0, 1280, 720, 50)), kDisplayChangeSuccessful);
    ASSERT_EQ(backend.SetDesktopSize(before), kDisplayChangeSuccessful);
    ASSERT_TRUE(backend.CurrentDesktopSize(now));
    EXPECT_EQ(QSize(now.width, now.height), QSize(before.width, before.height));
    EXPECT_EQ(QSize(now.widthMm, now.heightMm), QSize(before.widthMm, before.heightMm));
}

}  // namespace
