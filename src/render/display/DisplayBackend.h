#pragma once

#include "model/Rect.h"

#include <QString>

#include <vector>

// What the display configuration needs from the system: list the display
// outputs with their monitors and modes, read and change an output's
// position, size, depth, refresh rate and interlacing (staged, then applied
// together), detach an output, find each output's desktop rectangle, and
// read and set the size of the desktop they share.
// Implemented on XRandR and in memory (tests). All calls come from the
// user-interface thread while the renderer is made or deleted.

// State flags of a display device, with the values log lines show.
enum DisplayDeviceFlag : unsigned
{
    kDeviceAttachedToDesktop = 0x00000001,
    kDevicePrimary = 0x00000004,
    kDeviceMirroringDriver = 0x00000008,
};

// Which fields of DisplaySettings a change sets.
enum DisplaySettingsField : unsigned
{
    kFieldPosition = 0x00000020,
    kFieldBitsPerPixel = 0x00040000,
    kFieldWidth = 0x00080000,
    kFieldHeight = 0x00100000,
    kFieldDisplayFlags = 0x00200000,
    kFieldFrequency = 0x00400000,
};

// Results of a change.
enum DisplayChangeResult : int
{
    kDisplayChangeSuccessful = 0,
    kDisplayChangeFailed = -1,
    kDisplayChangeBadMode = -2,
};

struct DisplayModeInfo
{
    int width = 0;
    int height = 0;
    int bitsPerPixel = 32;
    int refreshRate = 0;  // Hz; for interlaced modes the frame rate (1080i50: 25)
    bool interlaced = false;
    friend bool operator==(const DisplayModeInfo&, const DisplayModeInfo&) = default;
};

struct DisplayMonitorInfo
{
    QString deviceName;
    QString name;  // the monitor's own name (EDID), empty when unknown
    unsigned stateFlags = 0;
};

struct DisplayDeviceInfo
{
    QString deviceName;    // the connector, e.g. "HDMI-1"
    QString deviceString;  // the adapter's description
    unsigned stateFlags = 0;
    std::vector<DisplayMonitorInfo> monitors;
    std::vector<DisplayModeInfo> modes;
};

struct DisplaySettings
{
    unsigned fields = 0;  // DisplaySettingsField bits in use
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    int refreshRate = 0;
    bool interlaced = false;
};

struct MonitorArea
{
    QString deviceName;
    CRect monitor;
    CRect work;
};

// The desktop all outputs are placed on (the X screen): attaching an output
// beyond it grows it; it shrinks only when asked.
struct DesktopSize
{
    int width = 0;
    int height = 0;
    int widthMm = 0;  // physical size; 0: worked out at 96 dots per inch
    int heightMm = 0;
};

class IDisplayBackend
{
public:
    virtual ~IDisplayBackend() = default;

    // Every display device in enumeration order.
    virtual std::vector<DisplayDeviceInfo> EnumerateDevices() = 0;
    // The device's current settings; false when they cannot be read (for
    // instance a detached output).
    virtual bool CurrentSettings(const QString& deviceName, DisplaySettings& settings) = 0;
    // Checks and records a change without applying it. A width and height of
    // 0 detach the device. Returns a DisplayChangeResult.
    virtual int StageSettings(const QString& deviceName, const DisplaySettings& settings) = 0;
    // Applies every staged change at once.
    virtual int ApplyStaged() = 0;
    // Changes one device directly.
    virtual int SetSettings(const QString& deviceName, const DisplaySettings& settings) = 0;
    // The desktop rectangles of the active outputs.
    virtual std::vector<MonitorArea> EnumerateMonitors() = 0;
    // Ends mirroring of the primary display, extending the desktop instead.
    // Returns false when the system offers no such call; result holds its code.
    virtual bool ExtendTopology(int& result) = 0;
    // The desktop's size now; false when it cannot be read.
    virtual bool CurrentDesktopSize(DesktopSize& size) = 0;
    // Resizes the desktop. Refused (kDisplayChangeFailed) when an attached
    // output would not fit on it or the system cannot make it that size.
    virtual int SetDesktopSize(const DesktopSize& size) = 0;
};
