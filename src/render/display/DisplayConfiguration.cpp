#include "render/display/DisplayConfiguration.h"

#include "app/Log.h"

#include <algorithm>

CDisplayConfiguration::CDisplayConfiguration(IDisplayBackend& backend, int width, int height)
{
    WriteLog(kLogLifecycle, "CDisplayConfiguration::CDisplayConfiguration()");
    const std::vector<DisplayDeviceInfo> devices = backend.EnumerateDevices();
    int index = 0;
    for (const DisplayDeviceInfo& device : devices) {
        const int deviceIndex = index++;
        if (device.stateFlags & kDeviceMirroringDriver)
            continue;
        WriteLog(kLogLifecycle, "CDisplayConfiguration::CDisplayConfiguration(): %d = [%s] [%s] [%08X]", deviceIndex,
                 qUtf8Printable(device.deviceName), qUtf8Printable(device.deviceString), device.stateFlags);
        const bool attached = device.stateFlags & kDeviceAttachedToDesktop;
        const bool primary = device.stateFlags & kDevicePrimary;
        if (attached && primary && primaryDeviceName.isEmpty()) {
            primaryDeviceName = device.deviceName;
            primaryDeviceString = device.deviceString;
        }
        QString monitorName;
        for (size_t m = 0; m < device.monitors.size(); ++m) {
            const DisplayMonitorInfo& monitor = device.monitors[m];
            WriteLog(kLogLifecycle, "CDisplayConfiguration::CDisplayConfiguration(): + [%s] [%s] [%08X]",
                     qUtf8Printable(monitor.deviceName), qUtf8Printable(monitor.name), monitor.stateFlags);
            if (m == 0)
                monitorName = monitor.name;
            else if (attached && primary)
                cloneDetected = 1;
        }
        if (monitorName.isEmpty())
            continue;
        if (primary) {
            if (primaryMonitorName.isEmpty())
                primaryMonitorName = monitorName;
            continue;
        }
        const bool hasMode = std::any_of(device.modes.begin(), device.modes.end(), [&](const DisplayModeInfo& mode) {
            return mode.bitsPerPixel == 32 && (width == 0 || mode.width == width) &&
                   (height == 0 || mode.height == height);
        });
        if (hasMode) {
            outputDeviceNames.append(device.deviceName);
            outputDeviceStrings.append(device.deviceString);
            outputMonitorNames.append(monitorName);
        }
    }
}

QStringList CDisplayConfiguration::ConnectionListEntries(const QString& autoText) const
{
    QStringList entries{autoText};
    for (int i = 0; i < outputDeviceNames.size(); ++i)
        entries.append(QStringLiteral("%1. %2 - %3").arg(i + 1).arg(outputDeviceStrings[i], outputMonitorNames[i]));
    return entries;
}

QStringList CDisplayConfiguration::ConnectionListValues() const
{
    return QStringList{QString()} + outputDeviceNames;
}

int CDisplayConfiguration::ConnectionListIndex(const QString& displayAdapter) const
{
    for (int i = 0; i < outputDeviceNames.size(); ++i) {
        if (outputDeviceNames[i].compare(displayAdapter, Qt::CaseInsensitive) == 0)
            return i + 1;
    }
    return 0;
}
