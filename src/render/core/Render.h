#pragma once

#include "render/device/GraphicsDevice.h"
#include "render/device/GraphicsDeviceFactory.h"
#include "render/core/RenderParams.h"
#include "playback/ClockText.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CFrameSet;
class IDisplayBackend;
class ISystemInhibitor;
class QWindow;

// What the renderer uses of the machine. Left empty, everything is the
// real thing: the display configuration on XRandR, the freedesktop
// inhibitors, the device named by the settings value "Device" (section
// "Debug"), raised thread priorities. Tests and the headless tool replace
// parts of it.
struct CRenderEnvironment
{
    enum class Target
    {
        kWindow,     // output window, or the caller's preview window
        kOffscreen,  // no window: an off-screen back buffer of the display size
    };

    Target target = Target::kWindow;
    // Off-screen only: no render and text threads; the caller draws each
    // frame with RenderFrame and a virtual clock (COfflineRenderer).
    bool offline = false;
    // Off-screen only: after each frame the render thread waits for the next
    // frame deadline, as on a display whose vertical blank does not block
    // (and, recording frames, notes how late each was presented). Without it
    // frames come as fast as the machine draws them.
    bool pacedOffscreen = true;
    // Empty: the settings value "Device" of section "Debug".
    QString device;
    IDisplayBackend* displayBackend = nullptr;
    ISystemInhibitor* inhibitor = nullptr;
    bool raisePriorities = true;
    // Where clock objects take the time from; empty: the machine's clock.
    ClockTimeSource clockTime;
    // Makes the device instead of the factory (tests that act out failures).
    std::function<std::unique_ptr<IGraphicsDevice>(const DeviceRequest&, QString*)> createDevice;
    // Keep the time each frame took, the processor time the render and text
    // threads had in it, paced off-screen how late it was presented, and
    // when the text thread laid out text (bench, soak); at most this many
    // frames.
    int recordFrames = 0;
};

// Results of RenderFrame.
enum RenderFrameResult : int
{
    kFrameOk = 0,
    kFrameOutputInactive = 1,  // the page's outputActive was 0
    kFrameDeviceLost = 2,      // kRenderDeviceLost
    kFrameFailed = 3,          // kRenderFrameFailed
};

// One call of the text thread that laid out text: the frames drawn while it
// ran, by number from the first frame (0).
struct LayoutSpan
{
    int firstFrame = 0;
    int lastFrame = 0;
};

// One of the frames in which the render thread itself ran longest: its
// processor time in the frame, what of it went to the objects' own steps
// (choosing, expanding and uploading background frames, writing text into
// textures; the rest is drawing and presenting) and the object whose steps
// took longest, by its place in the page (0 the first) with their wall time.
struct RenderThreadFrame
{
    int frame = 0;
    int64_t beganUs = 0;  // when the frame began, from the first recorded frame's start
    int renderCpuUs = 0;
    // Of it, the time in the kernel, and the page faults it took (memory
    // touched for the first time, or given back to the system and taken
    // again): -1 where unknown.
    int systemCpuUs = -1;
    int pageFaults = -1;
    // The machine's interrupt and stolen time during the frame, over all
    // processors (10 ms ticks), -1 where unknown: where the kernel does not
    // account interrupts apart it charges them to the thread they interrupt.
    int machineUs = -1;
    int objectsCpuUs = 0;
    int slowestObject = -1;
    int slowestObjectUs = 0;
};

// What the render and text threads measured (bench, tests).
struct CRenderStatistics
{
    int frames = 0;
    // RenderFrame durations, in order (when recorded). Paced, a frame begins
    // at the deadline of the one before (or when that one was presented, if
    // it was late), so the sleep between frames is no part of it.
    std::vector<int> frameTimesUs;
    // Processor time in each recorded frame: the render thread's own, and
    // the text thread's (-1 where its clock could not be read). The text
    // thread can hold a frame up by no more than the time it ran in it.
    std::vector<int> renderCpuUs;
    std::vector<int> textCpuUs;
    // Paced off-screen only (empty otherwise): how far past its deadline
    // each recorded frame was presented, 0 in time; and how long the threads
    // that draw (all but the text thread) waited for a processor in it, -1
    // where unknown. Another thread can hold a frame up only while they wait.
    std::vector<int> lateUs;
    std::vector<int> drawingWaitUs;
    // The processor time the device's helper threads (the CPU device's band
    // workers) had over the recorded frames, -1 where the device cannot tell.
    int64_t helperCpuUs = -1;
    // The recorded frames in which the render thread's own processor time
    // was longest, longest first (at most kHeaviestRenderFrames).
    static constexpr int kHeaviestRenderFrames = 10;
    std::vector<RenderThreadFrame> heaviestRenderFrames;
    std::vector<LayoutSpan> layoutSpans;  // in order (when recorded)
    int busiestTextChunkUs = 0;         // longest single InvokeRender of the text thread
    int textPasses = 0;
    int textWaitFrames = 0;             // frames moving text stood still waiting for the text thread
};

// Puts the page on the output: the graphics device, the composition
// target, the effects, the output window on the output display (or the
// caller's preview window), the text renderer and two threads. The render
// thread draws one frame per display refresh; the text thread keeps the
// text of playing objects rendered so that the render thread never waits
// for layout.
//
// Construction never throws for device problems: renderError afterwards is
// kRenderRunning when both threads run, else the RenderErrorCode of the
// stage that failed; the owner then deletes the renderer and shows message
// 10320 + renderError. Once it returns running, the render thread has set
// the page's outputActive (construction waits for that, at most
// kStartTimeoutMs), so objects can be played at once. The owner polls renderError while it runs. Deleting
// stops both threads (waiting at most 2000 ms) and undoes every system
// change.
class CRender
{
public:
    struct Shared;
    struct SystemChanges;

private:
    // First: the public references below point into it.
    std::shared_ptr<Shared> shared_;

public:
    // params.framePeriodUs is not read: the renderer paces by the refresh
    // rate the display is asked for.
    explicit CRender(const OutputEngineParams& params, const CRenderEnvironment& environment = {});
    virtual ~CRender();
    CRender(const CRender&) = delete;
    CRender& operator=(const CRender&) = delete;

    // Read by the owner; written by construction and the render thread.
    std::atomic<int>& renderError;
    // 1: the adapter sends full-range RGB. May be changed while running; the
    // next frame uses it.
    std::atomic<int>& fullRange;

    // Off-line renderer only (no threads): one frame whose objects advance
    // by stepUs. Returns a RenderFrameResult.
    int RenderOfflineFrame(int stepUs);
    // Off-line renderer only: one text thread pass on the calling thread;
    // returns the number of objects that reported work.
    int PrepareTextOnce();
    // Off-line renderer only: the back buffer (output signal) and the
    // composition target (premultiplied canvas).
    bool ReadBackBuffer(class CPicture* picture);
    bool ReadComposition(class CPicture* picture);

    // Threads stopped: what they measured. Stops them first.
    CRenderStatistics StopAndCollect();

    // Frames presented since start (any thread).
    int FramesPresented() const;
    const DeviceDescription* Device() const;

    // How long the destructor waits for the threads, and construction for
    // the render thread to take the output.
    static constexpr int kStopTimeoutMs = 2000;
    static constexpr int kStartTimeoutMs = 2000;

private:
    static void RenderThread(std::shared_ptr<Shared> shared);
    static void TextThread(std::shared_ptr<Shared> shared);
    static int RenderFrame(Shared& s, int stepOverrideUs);

    // The stages of construction, in order.
    void TakeParameters(const OutputEngineParams& params, const CRenderEnvironment& environment);
    RenderErrorCode Start(const OutputEngineParams& params, const CRenderEnvironment& environment);
    bool ConfigureDisplay(const OutputEngineParams& params, const CRenderEnvironment& environment);
    QWindow* MakeOutputWindow(QWindow* previewWindow, bool offscreen);
    bool CreateDevice(const OutputEngineParams& params, const CRenderEnvironment& environment, DeviceRequest request,
                      QWindow* window);
    bool CheckCapabilities(int refreshRate);
    bool CreateResources();
    void StartThreads();
    void WaitForOutputTaken();
    void RaiseOwnPriority();
    void InhibitScreenSaver(const CRenderEnvironment& environment);

    void StopThreads();

    std::unique_ptr<SystemChanges> changes_;
};
