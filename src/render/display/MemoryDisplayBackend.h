#pragma once

#include "render/display/DisplayBackend.h"

#include <QStringList>

#include <map>

// Displays held in memory, for tests and for machines without a second
// output: a list of devices with their modes and current settings. Every
// change request is recorded as a line of text, and a change takes effect
// on the recorded settings as a real display would take it.
class CMemoryDisplayBackend final : public IDisplayBackend
{
public:
    struct Device
    {
        DisplayDeviceInfo info;
        bool active = false;  // attached to the desktop
        DisplaySettings current;
    };

    // A primary display of the given size and a second output offering the
    // usual broadcast modes, detached. The common playout workstation.
    static CMemoryDisplayBackend TwoOutputs(const QString& secondName = QStringLiteral("HDMI-1"));

    void AddDevice(Device device);
    Device* FindDevice(const QString& name);

    // Faults to act out.
    bool rejectInterlaced = false;  // interlaced requests give the bad-mode result
    int failApply = kDisplayChangeSuccessful;
    int failDirect = kDisplayChangeSuccessful;
    bool hasExtendTopology = true;

    // Grows to hold every output attached, as the X screen does; shrinks
    // only through SetDesktopSize.
    DesktopSize desktop;

    // "stage NAME WxHxBPP@RATE[i] at X,Y", "apply", "set NAME ...", "extend",
    // "desktop WxH".
    QStringList requests;

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
    static QString Describe(const QString& verb, const QString& name, const DisplaySettings& s);
    // The mode a change gets: like XRandR, the first offered one of the
    // size, with the rate and interlacing where the change names them.
    static const DisplayModeInfo* ModeFor(const Device& device, const DisplaySettings& settings);
    int Check(const Device& device, const DisplaySettings& settings) const;
    void Take(Device& device, const DisplaySettings& settings);

    std::vector<Device> devices_;
    std::vector<std::pair<QString, DisplaySettings>> staged_;
};
