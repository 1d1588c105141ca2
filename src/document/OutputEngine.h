#pragma once

#include <QString>

#include <functional>
#include <memory>

class CFrameSet;
class QWindow;

// What the document hands the output engine when it switches the output or
// the preview on: the page, the video mode's sizes and the output
// preferences.
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

// The running output (or preview) as the document sees it. Construction
// starts it; the owner then reads RenderError: 0 running, 1..6 failed (the
// owner shows message 10320 + code and deletes it). Destruction stops the
// output, its threads and every system change it made. The render thread
// may set RenderError at any time; the document polls it on every tick.
class IOutputEngine
{
public:
    virtual ~IOutputEngine() = default;

    virtual int RenderError() const = 0;
    // Full (1) or limited (0) range output; takes effect from the next frame.
    virtual void SetFullRange(int fullRange) = 0;
};

// Makes the output engine; the program installs the renderer's, tests a
// test double.
using OutputEngineFactory = std::function<std::unique_ptr<IOutputEngine>(const OutputEngineParams&)>;

// renderError codes.
enum RenderErrorCode : int
{
    kRenderRunning = 0,
    kRenderDisplayFailed = 1,
    kRenderApiUnavailable = 2,
    kRenderDeviceFailed = 3,
    kRenderCapabilitiesMissing = 4,
    kRenderDeviceLost = 5,
    kRenderFrameFailed = 6,
};
