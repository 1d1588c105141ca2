#include "app/MemorySettingsStore.h"
#include "app/SettingsRegister.h"
#include "render/display/DisplayConfiguration.h"
#include "render/display/MemoryDisplayBackend.h"
#include "render/display/MultiMonitor.h"
#include "render/display/VideoMode.h"
#include "render/display/XRandrDisplayBackend.h"

#include "Requirements.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(backend_.requests, (QStringList{"stage DP-1 1920x1200x32 at 0,0", "stage HDMI-1 1920x1080x32@50 at 1920,0",
                                              "apply", "set HDMI-1 1920x1080x32@50 at 1920,0"}));

    backend_.requests.clear();
    monitor.reset();
    EXPECT_EQ(backend_.requests, (QStringList{"stage DP-1 1920x1200x32 at 0,0", "stage HDMI-1 0x0 at 0,0", "apply"}));
    EXPECT_FALSE(backend_.FindDevice(QStringLiteral("HDMI-1"))->active) << "switching off detaches the output";
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

}  // namespace
