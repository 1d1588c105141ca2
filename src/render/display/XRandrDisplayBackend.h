#pragma once

#include "render/display/DisplayBackend.h"

#include <QByteArray>

#include <map>

// The display configuration of an X server through XRandR. Devices are the
// server's outputs, named by their connector ("HDMI-1"); the adapter
// description is the provider (driver) name; the monitor name comes from the
// EDID. Attaching an output puts a free CRTC on it in the requested mode and
// grows the screen to hold it; detaching switches the output off; the
// desktop is the X screen. An output that already runs in a mode that fits
// a change keeps that very mode.
class CXRandrDisplayBackend final : public IDisplayBackend
{
public:
    // displayName: the X display; empty = $DISPLAY.
    explicit CXRandrDisplayBackend(const QByteArray& displayName = {});
    ~CXRandrDisplayBackend() override;
    CXRandrDisplayBackend(const CXRandrDisplayBackend&) = delete;
    CXRandrDisplayBackend& operator=(const CXRandrDisplayBackend&) = delete;

    // False without an X server or without RandR 1.3.
    bool IsAvailable() const { return display_ != nullptr; }

    std::vector<DisplayDeviceInfo> EnumerateDevices() override;
    bool CurrentSettings(const QString& deviceName, DisplaySettings& settings) override;
    int StageSettings(const QString& deviceName, const DisplaySettings& settings) override;
    int ApplyStaged() override;
    int SetSettings(const QString& deviceName, const DisplaySettings& settings) override;
    std::vector<MonitorArea> EnumerateMonitors() override;
    bool ExtendTopology(int& result) override;
    bool CurrentDesktopSize(DesktopSize& size) override;
    int SetDesktopSize(const DesktopSize& size) override;

private:
    int Apply(const QString& deviceName, const DisplaySettings& settings);

    struct _XDisplay* display_ = nullptr;
    unsigned long root_ = 0;
    std::vector<std::pair<QString, DisplaySettings>> staged_;
};
