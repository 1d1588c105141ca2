#include "render/display/MultiMonitor.h"

#include "app/Log.h"
#include "app/SettingsRegister.h"
#include "render/display/DisplayConfiguration.h"

CMultiMonitor::CMultiMonitor(IDisplayBackend& backend, const QString& displayAdapterName, int displayWidth,
                             int displayHeight, int refreshRate, int noRestore)
    : noRestoreDisplays(noRestore), backend_(backend)
{
    const CDisplayConfiguration displays(backend_, displayWidth, displayHeight);
    if (!displays.primaryDeviceName.isEmpty() && !displays.outputDeviceNames.isEmpty()) {
        if (displayAdapterName.isEmpty()) {
            outputDeviceName = displays.outputDeviceNames.front();
        } else if (displays.outputDeviceNames.contains(displayAdapterName, Qt::CaseSensitive)) {
            outputDeviceName = displayAdapterName;
        }
        primaryDeviceName = displays.primaryDeviceName;
    } else if (displays.cloneDetected) {
        WriteLog(kLogLifecycle, "CMultiMonitor::CMultiMonitor(): trying to disable clone mode...");
        int result = 0;
        if (backend_.ExtendTopology(result))
            WriteLog(kLogLifecycle, "CMultiMonitor::CMultiMonitor(): SetDisplayConfig() = %08X", unsigned(result));
    }
    if (primaryDeviceName.isEmpty())
        primaryDeviceName = QString::fromLatin1(kFallbackPrimaryName);
    if (outputDeviceName.isEmpty())
        outputDeviceName = QString::fromLatin1(kFallbackOutputName);
    WriteLog(kLogLifecycle, "CMultiMonitor::CMultiMonitor(): secondary display adapter: [%s]",
             qUtf8Printable(outputDeviceName));
    SetDisplayConfiguration(1, displayWidth, displayHeight, refreshRate);
}

CMultiMonitor::~CMultiMonitor()
{
    if (configured && !noRestoreDisplays)
        SetDisplayConfiguration(0, 0, 0, 0);
}

int CMultiMonitor::SetDisplayConfiguration(int enable, int width, int height, int refreshRate)
{
    WriteLog(kLogLifecycle, "CMultiMonitor::SetDisplayConfiguration(%d, %dx%dx%d)", enable, width, height, refreshRate);

    // Debug window: the output is a small window at the top-left of the
    // primary display and no display is touched.
    if (Read(settings::kWindow) != 0) {
        if (!enable)
            return 1;
        const QString debug = QString::fromLatin1(settings::kDebug);
        displayRect = {0, 0, Settings().ReadInt(debug, QString::fromLatin1(settings::kDebugWidth), width / 4),
                       Settings().ReadInt(debug, QString::fromLatin1(settings::kDebugHeight), height / 4)};
        configured = 1;
        return 1;
    }

    DisplaySettings primary;
    if (!backend_.CurrentSettings(primaryDeviceName, primary)) {
        WriteLog(kLogFailure, "CMultiMonitor::SetDisplayConfiguration(): EnumDisplaySettings() FAILED!");
        return 0;
    }
    if (enable && !desktopKnown_)
        desktopKnown_ = backend_.CurrentDesktopSize(desktopBefore_);

    DisplaySettings current;
    const bool alreadyInMode = enable && backend_.CurrentSettings(outputDeviceName, current) &&
                               current.width == width && current.height == height && current.bitsPerPixel == 32 &&
                               current.refreshRate == refreshRate;
    if (!alreadyInMode) {
        int result = StagePrimaryAtOrigin(primary);
        if (result != kDisplayChangeSuccessful) {
            WriteLog(kLogFailure, "CMultiMonitor::SetDisplayConfiguration(): ChangeDisplaySettingsEx(1) = %08X",
                     unsigned(result));
            return 0;
        }

        DisplaySettings output;
        if (enable) {
            output.fields = kFieldPosition | kFieldBitsPerPixel | kFieldWidth | kFieldHeight | kFieldDisplayFlags |
                            kFieldFrequency;
            output.x = primary.width;  // right of the primary display
            output.width = width;
            output.height = height;
            output.bitsPerPixel = 32;
            output.refreshRate = refreshRate;
            output.interlaced = refreshRate < 50;
        } else {
            output.fields = kFieldPosition | kFieldWidth | kFieldHeight;  // 0 x 0 detaches
        }
        result = backend_.StageSettings(outputDeviceName, output);
        if (result == kDisplayChangeBadMode && refreshRate < 50) {
            WriteLog(kLogFailure, "CMultiMonitor::SetDisplayConfiguration(): second chance try");
            output.fields &= ~kFieldDisplayFlags;
            output.interlaced = false;
            result = backend_.StageSettings(outputDeviceName, output);
        }
        if (result != kDisplayChangeSuccessful) {
            WriteLog(kLogFailure, "CMultiMonitor::SetDisplayConfiguration(): ChangeDisplaySettingsEx(2) = %08X",
                     unsigned(result));
            return 0;
        }

        result = backend_.ApplyStaged();
        if (result != kDisplayChangeSuccessful) {
            WriteLog(kLogFailure, "CMultiMonitor::SetDisplayConfiguration(): ChangeDisplaySettingsEx(3) = %08X",
                     unsigned(result));
            return 0;
        }
        if (!enable) {
            RestoreDesktop();
            return 1;
        }

        result = backend_.SetSettings(outputDeviceName, output);
        if (result != kDisplayChangeSuccessful) {
            WriteLog(kLogFailure, "CMultiMonitor::SetDisplayConfiguration(): ChangeDisplaySettingsEx(4) = %08X",
                     unsigned(result));
            return 0;
        }
    }

    DisplaySettings after;
    if (backend_.CurrentSettings(outputDeviceName, after)) {
        WriteLog(kLogLifecycle, "CMultiMonitor::SetDisplayConfiguration() aftercheck: %dx%dx%d", after.width,
                 after.height, after.refreshRate);
        if (after.width != width || after.height != height)
            return 0;
        if (after.bitsPerPixel == 32 && after.refreshRate != refreshRate)
            return 0;
    }

    displayRect = {};
    for (const MonitorArea& area : backend_.EnumerateMonitors()) {
        WriteLog(kLogLifecycle, "CMultiMonitor::MonitorEnumProc([%s] [%d %d %d %d] [%d %d %d %d])",
                 qUtf8Printable(area.deviceName), area.monitor.left, area.monitor.top, area.monitor.right,
                 area.monitor.bottom, area.work.left, area.work.top, area.work.right, area.work.bottom);
        if (area.deviceName == outputDeviceName) {
            displayRect = area.monitor;
            break;
        }
    }
    if (displayRect.IsEmpty()) {
        WriteLog(kLogFailure, "CMultiMonitor::SetDisplayConfiguration(): EnumDisplayMonitors() FAILED!");
        return 0;
    }
    configured = 1;
    return 1;
}

// The primary display stays where the output is placed beside it, in its
// exact mode: its size alone would let the system choose another rate or an
// interlaced mode of that size.
int CMultiMonitor::StagePrimaryAtOrigin(const DisplaySettings& primary)
{
    DisplaySettings atOrigin;
    atOrigin.fields = kFieldPosition | kFieldWidth | kFieldHeight | kFieldBitsPerPixel;
    atOrigin.width = primary.width;
    atOrigin.height = primary.height;
    atOrigin.bitsPerPixel = primary.bitsPerPixel;
    if (primary.refreshRate > 0) {
        DisplaySettings exact = atOrigin;
        exact.fields |= kFieldFrequency | kFieldDisplayFlags;
        exact.refreshRate = primary.refreshRate;
        exact.interlaced = primary.interlaced;
        const int result = backend_.StageSettings(primaryDeviceName, exact);
        if (result != kDisplayChangeBadMode)
            return result;
        // A mode the display runs in but does not list: the backend keeps
        // the display's own mode when its size is all that is asked.
        WriteLog(kLogFailure, "CMultiMonitor::SetDisplayConfiguration(): primary mode %dx%d@%d not listed",
                 primary.width, primary.height, primary.refreshRate);
    }
    return backend_.StageSettings(primaryDeviceName, atOrigin);
}

// After the output is detached: the desktop grew to hold it, and the pointer
// and new windows must not land where no display shows them.
void CMultiMonitor::RestoreDesktop()
{
    DesktopSize now;
    if (!desktopKnown_ || !backend_.CurrentDesktopSize(now))
        return;
    if (now.width == desktopBefore_.width && now.height == desktopBefore_.height)
        return;
    const int result = backend_.SetDesktopSize(desktopBefore_);
    WriteLog(result == kDisplayChangeSuccessful ? kLogLifecycle : kLogFailure,
             "CMultiMonitor::SetDisplayConfiguration(): desktop %dx%d back to %dx%d = %08X", now.width, now.height,
             desktopBefore_.width, desktopBefore_.height, unsigned(result));
}
