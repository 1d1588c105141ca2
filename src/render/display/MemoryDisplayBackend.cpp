#include "render/display/MemoryDisplayBackend.h"

#include <algorithm>

CMemoryDisplayBackend CMemoryDisplayBackend::TwoOutputs(const QString& secondName)
{
    CMemoryDisplayBackend backend;
    Device primary;
    primary.info.deviceName = QStringLiteral("DP-1");
    primary.info.deviceString = QStringLiteral("Test adapter");
    primary.info.stateFlags = kDeviceAttachedToDesktop | kDevicePrimary;
    primary.info.monitors = {{QStringLiteral("DP-1-0"), QStringLiteral("Desk monitor"), 0x3}};
    primary.info.modes = {{1920, 1200, 32, 60, false}, {1920, 1080, 32, 60, false}};
    primary.active = true;
    primary.current = {kFieldPosition | kFieldWidth | kFieldHeight, 0, 0, 1920, 1200, 32, 60, false};
    backend.AddDevice(primary);
    backend.desktop = {1920, 1200, 508, 318};

    Device second;
    second.info.deviceName = secondName;
    second.info.deviceString = QStringLiteral("Test adapter");
    second.info.monitors = {{secondName + QStringLiteral("-0"), QStringLiteral("Video converter"), 0x1}};
    for (const auto& [w, h] : {std::pair{1920, 1080}, std::pair{1280, 720}}) {
        for (int rate : {50, 60})
            second.info.modes.push_back({w, h, 32, rate, false});
    }
    second.info.modes.push_back({1920, 1080, 32, 25, true});
    second.info.modes.push_back({1920, 1080, 32, 30, true});
    second.info.modes.push_back({1920, 1080, 32, 25, false});
    second.info.modes.push_back({1920, 1080, 32, 30, false});
    backend.AddDevice(second);
    return backend;
}

void CMemoryDisplayBackend::AddDevice(Device device)
{
    devices_.push_back(std::move(device));
}

CMemoryDisplayBackend::Device* CMemoryDisplayBackend::FindDevice(const QString& name)
{
    const auto it = std::find_if(devices_.begin(), devices_.end(),
                                 [&name](const Device& d) { return d.info.deviceName == name; });
    return it == devices_.end() ? nullptr : &*it;
}

std::vector<DisplayDeviceInfo> CMemoryDisplayBackend::EnumerateDevices()
{
    std::vector<DisplayDeviceInfo> list;
    for (const Device& device : devices_) {
        DisplayDeviceInfo info = device.info;
        info.stateFlags = (info.stateFlags & ~kDeviceAttachedToDesktop) | (device.active ? unsigned(kDeviceAttachedToDesktop) : 0u);
        list.push_back(std::move(info));
    }
    return list;
}

bool CMemoryDisplayBackend::CurrentSettings(const QString& deviceName, DisplaySettings& settings)
{
    const Device* device = FindDevice(deviceName);
    if (!device || !device->active)
        return false;
    settings = device->current;
    return true;
}

QString CMemoryDisplayBackend::Describe(const QString& verb, const QString& name, const DisplaySettings& s)
{
    QString text = QStringLiteral("%1 %2 %3x%4").arg(verb, name).arg(s.width).arg(s.height);
    if (s.fields & kFieldBitsPerPixel)
        text += QStringLiteral("x%1").arg(s.bitsPerPixel);
    if (s.fields & kFieldFrequency)
        text += QStringLiteral("@%1").arg(s.refreshRate);
    if ((s.fields & kFieldDisplayFlags) && s.interlaced)
        text += QLatin1Char('i');
    return text + QStringLiteral(" at %1,%2").arg(s.x).arg(s.y);
}

const DisplayModeInfo* CMemoryDisplayBackend::ModeFor(const Device& device, const DisplaySettings& s)
{
    const bool interlaced = (s.fields & kFieldDisplayFlags) && s.interlaced;
    const auto mode = std::find_if(device.info.modes.begin(), device.info.modes.end(), [&](const DisplayModeInfo& m) {
        return m.width == s.width && m.height == s.height &&
               (!(s.fields & kFieldFrequency) || m.refreshRate == s.refreshRate) &&
               (!(s.fields & kFieldDisplayFlags) || m.interlaced == interlaced);
    });
    return mode == device.info.modes.end() ? nullptr : &*mode;
}

int CMemoryDisplayBackend::Check(const Device& device, const DisplaySettings& s) const
{
    if (s.width == 0 && s.height == 0)
        return kDisplayChangeSuccessful;
    const bool interlaced = (s.fields & kFieldDisplayFlags) && s.interlaced;
    if (interlaced && rejectInterlaced)
        return kDisplayChangeBadMode;
    return ModeFor(device, s) ? kDisplayChangeSuccessful : kDisplayChangeBadMode;
}

void CMemoryDisplayBackend::Take(Device& device, const DisplaySettings& s)
{
    if (s.width == 0 && s.height == 0) {
        device.active = false;
        return;
    }
    device.active = true;
    device.current.x = s.x;
    device.current.y = s.y;
    device.current.width = s.width;
    device.current.height = s.height;
    if (s.fields & kFieldBitsPerPixel)
        device.current.bitsPerPixel = s.bitsPerPixel;
    if (const DisplayModeInfo* mode = ModeFor(device, s)) {
        device.current.refreshRate = mode->refreshRate;
        device.current.interlaced = mode->interlaced;
    } else {
        if (s.fields & kFieldFrequency)
            device.current.refreshRate = s.refreshRate;
        device.current.interlaced = (s.fields & kFieldDisplayFlags) && s.interlaced;
    }
    if (s.x + s.width > desktop.width || s.y + s.height > desktop.height) {
        // Grown at 96 dots per inch, as XRandR grows the screen.
        desktop = {std::max(desktop.width, s.x + s.width), std::max(desktop.height, s.y + s.height), 0, 0};
    }
}

int CMemoryDisplayBackend::StageSettings(const QString& deviceName, const DisplaySettings& settings)
{
    requests.append(Describe(QStringLiteral("stage"), deviceName, settings));
    const Device* device = FindDevice(deviceName);
    if (!device)
        return kDisplayChangeFailed;
    const int result = Check(*device, settings);
    if (result == kDisplayChangeSuccessful)
        staged_.emplace_back(deviceName, settings);
    return result;
}

int CMemoryDisplayBackend::ApplyStaged()
{
    requests.append(QStringLiteral("apply"));
    if (failApply != kDisplayChangeSuccessful) {
        staged_.clear();
        return failApply;
    }
    for (const auto& [name, settings] : staged_) {
        if (Device* device = FindDevice(name))
            Take(*device, settings);
    }
    staged_.clear();
    return kDisplayChangeSuccessful;
}

int CMemoryDisplayBackend::SetSettings(const QString& deviceName, const DisplaySettings& settings)
{
    requests.append(Describe(QStringLiteral("set"), deviceName, settings));
    Device* device = FindDevice(deviceName);
    if (!device)
        return kDisplayChangeFailed;
    if (failDirect != kDisplayChangeSuccessful)
        return failDirect;
    const int result = Check(*device, settings);
    if (result == kDisplayChangeSuccessful)
        Take(*device, settings);
    return result;
}

std::vector<MonitorArea> CMemoryDisplayBackend::EnumerateMonitors()
{
    std::vector<MonitorArea> areas;
    for (const Device& device : devices_) {
        if (!device.active)
            continue;
        const CRect rect{device.current.x, device.current.y, device.current.x + device.current.width,
                         device.current.y + device.current.height};
        areas.push_back({device.info.deviceName, rect, rect});
    }
    return areas;
}

bool CMemoryDisplayBackend::ExtendTopology(int& result)
{
    requests.append(QStringLiteral("extend"));
    result = 0;
    return hasExtendTopology;
}

bool CMemoryDisplayBackend::CurrentDesktopSize(DesktopSize& size)
{
    size = desktop;
    return true;
}

int CMemoryDisplayBackend::SetDesktopSize(const DesktopSize& size)
{
    requests.append(QStringLiteral("desktop %1x%2").arg(size.width).arg(size.height));
    for (const Device& device : devices_) {
        if (device.active && (device.current.x + device.current.width > size.width ||
                              device.current.y + device.current.height > size.height))
            return kDisplayChangeFailed;
    }
    desktop = size;
    return kDisplayChangeSuccessful;
}
