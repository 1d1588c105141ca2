#pragma once

#include "model/Rect.h"
#include "render/display/DisplayBackend.h"

#include <QString>

// The output display for as long as the output is on: chosen (automatically
// or by its stored device name), attached right of the primary display in the
// display mode of the video mode, and detached again on destruction unless
// the operator asked to keep the configuration. The primary display keeps
// its exact mode throughout, and detaching gives the desktop back the size
// it had before the output went on.
class CMultiMonitor
{
public:
    // Tried when no output was found, so that a missing display fails the
    // same visible way every time.
    static constexpr const char* kFallbackPrimaryName = "\\\\.\\DISPLAY1";
    static constexpr const char* kFallbackOutputName = "\\\\.\\DISPLAY2";

    CMultiMonitor(IDisplayBackend& backend, const QString& displayAdapterName, int displayWidth, int displayHeight,
                  int refreshRate, int noRestoreDisplays);
    virtual ~CMultiMonitor();
    CMultiMonitor(const CMultiMonitor&) = delete;
    CMultiMonitor& operator=(const CMultiMonitor&) = delete;

    // Attaches (enable = 1) or detaches the output display. Returns 1 on success.
    int SetDisplayConfiguration(int enable, int width, int height, int refreshRate);

    int configured = 0;
    int noRestoreDisplays = 0;
    QString primaryDeviceName;
    QString outputDeviceName;
    CRect displayRect;

private:
    int StagePrimaryAtOrigin(const DisplaySettings& primary);
    void RestoreDesktop();

    IDisplayBackend& backend_;
    // The desktop before the output went on, when it could be read.
    bool desktopKnown_ = false;
    DesktopSize desktopBefore_;
};
