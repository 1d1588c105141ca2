#pragma once

#include <QString>

class CFrameSet;
class QWindow;
struct VideoMode;

// What the output is started with: the page, the video mode's sizes and
// the output preferences. The document hands it to its output engine; the
// renderer takes it as it is.
struct OutputEngineParams
{
    CFrameSet* page = nullptr;
    int canvasWidth = 0;
    int canvasHeight = 0;
    int displayWidth = 0;
    int displayHeight = 0;
    int refreshRate = 0;
    QString displayAdapterName;  // empty = automatic
    int noRestoreDisplays = 0;
    int alternativeSync = 0;
    int fullRange = 1;
    QWindow* previewWindow = nullptr;  // null = the HDMI output
    int framePeriodUs = 0;
};

// The page on the output in a video mode: its sizes and frame period, the
// rest left at the defaults (automatic adapter, no preview window).
OutputEngineParams OutputParamsForMode(CFrameSet& page, const VideoMode& mode);

// Why an output did not start or stopped running; the user sees message
// 10320 + code.
enum RenderErrorCode : int
{
    kRenderRunning = 0,
    kRenderDisplayFailed = 1,        // the output display could not be configured
    kRenderApiUnavailable = 2,       // no usable graphics device at all
    kRenderDeviceFailed = 3,         // the device could not be made
    kRenderCapabilitiesMissing = 4,  // the device lacks a capability or a resource
    kRenderDeviceLost = 5,           // the device was lost while running
    kRenderFrameFailed = 6,          // any other failure while running
};
