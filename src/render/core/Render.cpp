#include "render/core/Render.h"

#include "app/Log.h"
#include "app/SettingsRegister.h"
#include "content/FrameLinkedImage.h"
#include "content/FramePlayer.h"
#include "content/FrameTextLayout.h"
#include "content/PagePlayback.h"
#include "content/RichEditTextRenderer.h"
#include "model/FrameSet.h"
#include "model/Picture.h"
#include "playback/PresentResult.h"
#include "render/core/FrameErrorLog.h"
#include "render/system/DBusSystemInhibitor.h"
#include "render/system/HiResTimer.h"
#include "render/system/MachineTime.h"
#include "render/system/ProcessorWaits.h"
#include "render/display/MultiMonitor.h"
#include "render/core/FramePacer.h"
#include "render/core/FrameRecord.h"
#include "render/core/LinkedImageImporter.h"
#include "render/core/RenderTextureDevice.h"
#include "render/core/RenderWindow.h"
#include "render/system/ThreadPriority.h"
#include "render/display/XRandrDisplayBackend.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QWindow>

#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace {

// Result codes the log lines show, in the form the system's own calls use.
constexpr unsigned kResultFail = 0x80004005u;
constexpr unsigned kResultDeviceLost = 0x88760868u;
// Shader model and dynamic-texture capability both devices provide.
constexpr unsigned kPixelShaderVersion = 0xFFFF0300u;
constexpr unsigned kDynamicTexturesCap = 0x20000000u;
constexpr int kMinTextureSize = 2048;
// The nice value of the thread that owns the renderer while it runs.
constexpr int kHighPriorityNice = -5;

// One quad of the frame, in drawing order.
struct Quad
{
    FloatRect dest;
    FloatRect uv;
    IDeviceTexture* texture = nullptr;
    int alpha = 0;
    int shadowSize = 0;
    int shadowKind = 0;
};

void SetQuad(Vertex* v, float left, float top, float right, float bottom, const FloatRect& uv, uint32_t diffuse)
{
    SetQuadVertices(v, left, top, right, bottom, uv.left, uv.top, uv.right, uv.bottom, diffuse);
}

// Drop shadow level to the size of the shadow blur.
int ShadowSize(int level)
{
    if (level <= 0)
        return 0;
    if (level == 1)
        return 1;
    return 2 * level - 2;
}

int FramePeriodOfRate(int refreshRate)
{
    if (refreshRate <= 0)
        return 0;
    // Interlaced modes are requested at the frame rate; the output still
    // shows two fields per frame.
    const int fieldRate = refreshRate < 50 ? 2 * refreshRate : refreshRate;
    return (1000000 + fieldRate / 2) / fieldRate;
}

pid_t CurrentTid()
{
    return static_cast<pid_t>(::syscall(SYS_gettid));
}

void ApplyOwnPriority(ThreadPriorityLevel level, const char* thread)
{
    const GrantedPriority granted = SetCurrentThreadPriority(level);
    WriteLog(kLogLifecycle, "%s: priority: %s", thread, GrantedPriorityName(granted));
}

// Processor time a thread's clock has counted, in µs; -1 where it cannot be
// read (the thread has ended).
int64_t CpuClockUs(clockid_t clock)
{
    timespec now{};
    if (::clock_gettime(clock, &now) != 0)
        return -1;
    return static_cast<int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

// Frames recorded per layout span kept: text is laid out far less often
// than frames are drawn.
constexpr int kFramesPerLayoutSpan = 8;

// The text thread's own figures.
struct TextMeasures
{
    std::atomic<int> busiestChunkUs{0};  // longest single InvokeRender
    std::atomic<int> passes{0};
    std::vector<LayoutSpan> spans;
    int recordedSpans = 0;  // text thread
    // The text thread's processor clock, which the render thread reads
    // between recorded frames, and its thread id; published once the thread
    // runs.
    clockid_t clock{};
    pid_t tid = 0;
    std::atomic<bool> clockKnown{false};
};

// Read between recorded frames, on the render thread.
FrameClocks ReadFrameClocks(const TextMeasures& text)
{
    FrameClocks clocks;
    clocks.wall = std::chrono::steady_clock::now();
    clocks.renderCpuUs = CpuClockUs(CLOCK_THREAD_CPUTIME_ID);
    rusage usage{};
    if (::getrusage(RUSAGE_THREAD, &usage) == 0) {
        clocks.renderSystemUs = static_cast<int64_t>(usage.ru_stime.tv_sec) * 1000000 + usage.ru_stime.tv_usec;
        clocks.renderPageFaults = usage.ru_minflt + usage.ru_majflt;
    }
    if (text.clockKnown.load(std::memory_order_acquire))
        clocks.textCpuUs = CpuClockUs(text.clock);
    return clocks;
}

}  // namespace

struct CRender::Shared
{
    CFrameSet* page = nullptr;
    int windowed = 0;
    int canvasWidth = 0;
    int canvasHeight = 0;
    std::atomic<int> renderError{0};
    std::atomic<int> fullRange{0};
    int noYCbCrA = 0;
    uint32_t backColor = 0;
    bool raisePriorities = true;
    std::atomic<int> stopRequested{0};
    std::atomic<int> frameCount{0};
    CHiResTimer timer;
    uint64_t lastTime = 0;
    CFrameErrorLog drawErrors;  // render thread

    std::unique_ptr<CRichEditTextRenderer> textRenderer;
    ClockTimeSource clockTime;  // read by the text thread
    std::unique_ptr<IGraphicsDevice> device;
    std::unique_ptr<CRenderTextureDevice> textureDevice;
    std::unique_ptr<IDeviceEffect> compositingEffect;
    std::unique_ptr<IDeviceEffect> outputEffect;
    std::vector<Vertex> vertices;

    // Per frame, kept to avoid allocating on the render thread.
    std::vector<Quad> quads;
    FrameList renderSnapshot;
    FrameList textSnapshot;
    std::vector<CFrame*> entered;

    // Off-screen and paced: the render thread keeps the frame deadlines.
    CFramePacer pacer;
    // Measurements.
    int recordLimit = 0;
    CFrameRecord record;  // render thread
    CProcessorWaits drawingWaits;  // render thread
    CMachineTime machineTime;      // render thread
    TextMeasures text;

    // Threads that have not finished yet, and whether the render thread
    // has taken the output.
    std::mutex doneMutex;
    std::condition_variable doneSignal;
    int threadsRunning = 0;
    bool outputTaken = false;

    void ThreadDone()
    {
        std::lock_guard guard(doneMutex);
        --threadsRunning;
        doneSignal.notify_all();
    }

    // Right after presenting: off-screen and paced, the wait for the frame's
    // deadline, which is part of presenting as a display's would be; and the
    // frame's record.
    void AfterPresent()
    {
        const bool recording = record.Recording();
        if (!recording && pacer.PeriodUs() == 0)
            return;
        const bool paced = pacer.PeriodUs() > 0;
        // Paced, the waits of every thread but the text thread's, from the
        // first frame once that thread runs.
        if (recording && paced && !drawingWaits.IsOpen() && text.clockKnown.load(std::memory_order_acquire))
            drawingWaits.Open(text.tid);
        const FrameClocks presented = recording ? ReadClocks() : FrameClocks{std::chrono::steady_clock::now()};
        const int lateUs = pacer.WaitForDeadline(presented.wall);
        if (!recording)
            return;
        record.FramePresented(presented, lateUs);
        if (pacer.SleptUntil() != CFramePacer::Clock::time_point{})
            record.SleptUntil(pacer.SleptUntil(), ReadClocks());
    }

    FrameClocks ReadClocks()
    {
        FrameClocks clocks = ReadFrameClocks(text);
        if (device)
            clocks.helperCpuUs = device->HelperThreadsCpuUs();
        clocks.machineUs = machineTime.InterruptsAndStolenUs();
        if (drawingWaits.IsOpen())
            clocks.drawingWaitUs = drawingWaits.WaitedUs();
        return clocks;
    }

    // The device's objects, effects first.
    void ReleaseDevice()
    {
        compositingEffect.reset();
        outputEffect.reset();
        textureDevice.reset();
        device.reset();
    }

    // Preview: the output quad spreads the canvas over the whole back buffer,
    // which is in the window's native pixels and follows its size. True when
    // the quad changed.
    int previewQuadWidth = 0;
    int previewQuadHeight = 0;
    bool FitPreviewQuad()
    {
        const DeviceDescription& d = device->Description();
        if (d.backBufferWidth == previewQuadWidth && d.backBufferHeight == previewQuadHeight)
            return false;
        previewQuadWidth = d.backBufferWidth;
        previewQuadHeight = d.backBufferHeight;
        const float uRight = static_cast<float>(canvasWidth) / kCompositionTargetSize;
        const float vBottom = static_cast<float>(canvasHeight) / kCompositionTargetSize;
        SetQuad(vertices.data(), -0.5f, -0.5f, static_cast<float>(previewQuadWidth) - 0.5f,
                static_cast<float>(previewQuadHeight) - 0.5f, FloatRect{0, 0, uRight, vBottom}, 0);
        return true;
    }

    ~Shared() { ReleaseDevice(); }
};

// What the constructor changed on the machine, undone by the destructor on
// the user-interface thread.
struct CRender::SystemChanges
{
    std::unique_ptr<IDisplayBackend> ownBackend;
    std::unique_ptr<CMultiMonitor> monitor;
    std::unique_ptr<CRenderWindow> outputWindow;
    std::unique_ptr<ISystemInhibitor> ownInhibitor;
    ISystemInhibitor* inhibitor = nullptr;
    int savedScreenSaverActive = 0;
    bool priorityRaised = false;
    pid_t priorityTid = 0;
    int savedNice = 0;
    // Qt threads, not plain ones: the text documents the text thread lays
    // out with start timers to continue long layouts, which only a thread
    // with an event dispatcher can have.
    std::unique_ptr<QThread> renderThread;
    std::unique_ptr<QThread> textThread;
    bool threadsStarted = false;
    bool offline = false;
};

namespace {

using DeviceMaker = std::function<std::unique_ptr<IGraphicsDevice>(const DeviceRequest&, QString*)>;

DeviceMaker DeviceMakerOf(const CRenderEnvironment& environment)
{
    if (environment.createDevice)
        return environment.createDevice;
    return &CreateGraphicsDevice;
}

bool IsOffscreen(const CRenderEnvironment& environment)
{
    return environment.target == CRenderEnvironment::Target::kOffscreen;
}

// Whether the kind of device asked for exists here at all. Only OpenGL can
// be missing; it is tried on a 1 x 1 back buffer.
bool DeviceKindAvailable(const DeviceRequest& request, const DeviceMaker& create)
{
    if (request.choice != DeviceChoice::kOpenGL)
        return true;
    DeviceRequest probe = request;
    probe.width = probe.height = 1;
    QString error;
    if (create(probe, &error))
        return true;
    WriteLog(kLogFailure, "CRender::CRender(): OpenGL device not available: %s", qUtf8Printable(error));
    return false;
}

}  // namespace

CRender::CRender(const OutputEngineParams& params, const CRenderEnvironment& environment)
    : shared_(std::make_shared<Shared>()),
      renderError(shared_->renderError),
      fullRange(shared_->fullRange),
      changes_(std::make_unique<SystemChanges>())
{
    WriteLog(kLogLifecycle, "CRender::CRender(%d x %d), %d, %d, %p", params.canvasWidth, params.canvasHeight,
             params.alternativeSync, params.fullRange, static_cast<void*>(params.previewWindow));
    TakeParameters(params, environment);
    // Written only on failure: once the threads run, the render thread owns it.
    const RenderErrorCode error = Start(params, environment);
    if (error != kRenderRunning)
        renderError = error;
}

// What the threads read for the whole run, and the room for the
// measurements, taken before anything can fail so that the destructor
// always finds a complete state.
void CRender::TakeParameters(const OutputEngineParams& params, const CRenderEnvironment& environment)
{
    Shared& s = *shared_;
    s.page = params.page;
    s.windowed = params.previewWindow ? 1 : 0;
    s.canvasWidth = params.canvasWidth;
    s.canvasHeight = params.canvasHeight;
    s.fullRange = params.fullRange;
    s.raisePriorities = environment.raisePriorities;
    s.clockTime = environment.clockTime;
    s.recordLimit = std::max(0, environment.recordFrames);
    changes_->offline = environment.offline && IsOffscreen(environment);
    // Off-line there is no render thread to record frames.
    s.record.Reserve(changes_->offline ? 0 : s.recordLimit, IsOffscreen(environment) && environment.pacedOffscreen);
    s.text.spans.assign(static_cast<size_t>(s.recordLimit / kFramesPerLayoutSpan), LayoutSpan{});

    // Developer values.
    s.noYCbCrA = Read(settings::kNoYCbCrA);
    s.backColor = static_cast<uint32_t>(Read(settings::kBackColor));
}

// The stages in order; the first that fails gives the error and leaves the
// rest undone, for the destructor to undo what was done.
RenderErrorCode CRender::Start(const OutputEngineParams& params, const CRenderEnvironment& environment)
{
    // The kind of device must be available at all before anything on the
    // machine is changed.
    DeviceRequest request;
    request.choice =
        DeviceChoiceFromSetting(environment.device.isEmpty() ? Read(settings::kDevice) : environment.device);
    if (!DeviceKindAvailable(request, DeviceMakerOf(environment)))
        return kRenderApiUnavailable;

    if (!ConfigureDisplay(params, environment))
        return kRenderDisplayFailed;
    QWindow* window = MakeOutputWindow(params.previewWindow, IsOffscreen(environment));

    // The rich text controls belong to the thread that lays text out with
    // them: the text thread makes its own; off-line it is this one.
    if (changes_->offline)
        shared_->textRenderer = std::make_unique<CRichEditTextRenderer>();

    if (!CreateDevice(params, environment, request, window))
        return kRenderDeviceFailed;
    if (!CheckCapabilities(params.refreshRate) || !CreateResources())
        return kRenderCapabilitiesMissing;
    // From here on the render thread uses the device.
    shared_->device->ReleaseThread();

    if (changes_->offline)
        return kRenderRunning;
    StartThreads();
    WaitForOutputTaken();
    if (environment.raisePriorities)
        RaiseOwnPriority();
    if (!IsOffscreen(environment))
        InhibitScreenSaver(environment);
    return kRenderRunning;
}

// The HDMI output takes its display in the mode's resolution and refresh
// rate; a preview window or an off-screen target leaves the displays alone.
bool CRender::ConfigureDisplay(const OutputEngineParams& params, const CRenderEnvironment& environment)
{
    if (!shared_->windowed && !IsOffscreen(environment)) {
        IDisplayBackend* backend = environment.displayBackend;
        if (!backend) {
            changes_->ownBackend = std::make_unique<CXRandrDisplayBackend>();
            backend = changes_->ownBackend.get();
        }
        changes_->monitor =
            std::make_unique<CMultiMonitor>(*backend, params.displayAdapterName, params.displayWidth,
                                            params.displayHeight, params.refreshRate, params.noRestoreDisplays);
        if (!changes_->monitor->configured)
            return false;
    }
    WriteLog(kLogLifecycle, "CRender::CRender(): alternative sync: %d", params.alternativeSync);
    return true;
}

// The window the device draws on: the caller's preview window, or a new
// output window over the output display; none off-screen.
QWindow* CRender::MakeOutputWindow(QWindow* previewWindow, bool offscreen)
{
    if (offscreen)
        return nullptr;
    if (shared_->windowed)
        return previewWindow;
    // Shown once the device has given it the surface it draws on.
    changes_->outputWindow = std::make_unique<CRenderWindow>(changes_->monitor->displayRect);
    return changes_->outputWindow.get();
}

// The graphics device on the window, or off-screen on a back buffer of the
// display size. A window device paces its presentation where the display does
// not; off-screen the render thread keeps the pace itself (and so knows how
// late each frame was), unless it runs off-line or as fast as it can.
bool CRender::CreateDevice(const OutputEngineParams& params, const CRenderEnvironment& environment,
                           DeviceRequest request, QWindow* window)
{
    Shared& s = *shared_;
    const bool offscreen = IsOffscreen(environment);
    // One adapter: the display server's.
    WriteLog(kLogLifecycle, "CRender::CRender(): number of adapters: %d", 1);
    WriteLog(kLogLifecycle, "CRender::CRender(): adapter: %d = %s", 0,
             s.windowed || offscreen ? "" : qUtf8Printable(changes_->monitor->outputDeviceName));
    WriteLog(kLogLifecycle, "CRender::CRender(): using adapter: %d", 0);

    request.window = window;
    request.width = offscreen ? params.displayWidth : 0;
    request.height = offscreen ? params.displayHeight : 0;
    request.framePeriodUs = offscreen ? 0 : FramePeriodOfRate(params.refreshRate);
    if (offscreen && !changes_->offline && environment.pacedOffscreen)
        s.pacer.SetPeriod(FramePeriodOfRate(params.refreshRate));
    // "Use alternative vertical sync method": the frame clock instead of the
    // driver's vertical blank wait.
    request.paceByClock = params.alternativeSync != 0;
    QString error;
    s.device = DeviceMakerOf(environment)(request, &error);
    if (!s.device) {
        WriteLog(kLogFailure, "CRender::CRender(): CreateDevice() = %08X", kResultFail);
        WriteLog(kLogFailure, "CRender::CRender(): %s", qUtf8Printable(error));
        return false;
    }
    if (changes_->outputWindow)
        changes_->outputWindow->show();
    const DeviceDescription& d = s.device->Description();
    WriteLog(kLogLifecycle, "CRender::CRender(): device: %s, %s", qUtf8Printable(d.api), qUtf8Printable(d.renderer));
    return true;
}

// The composition target is a texture of kCompositionTargetSize a side, so
// the device must take textures that large and have made the target.
bool CRender::CheckCapabilities(int refreshRate)
{
    IGraphicsDevice& device = *shared_->device;
    const DeviceDescription& d = device.Description();
    WriteLog(kLogLifecycle, "CRender::CRender(): GetDeviceCaps() texture: %d x %d, pixel shader: %08X",
             d.maxTextureSize, d.maxTextureSize, kPixelShaderVersion);
    WriteLog(kLogLifecycle, "CRender::CRender(): GetDeviceCaps() dynamic textures: %08X", kDynamicTexturesCap);
    if (d.maxTextureSize < kMinTextureSize)
        return false;
    WriteLog(kLogLifecycle, "CRender::CRender(): GetDisplayMode() = %08X: %dx%dx%d", 0u, d.backBufferWidth,
             d.backBufferHeight, refreshRate);

    if (!device.CompositionTarget()) {
        WriteLog(kLogFailure, "CRender::CRender(): CreateTexture() = %08X", kResultFail);
        return false;
    }
    return true;
}

// Everything a frame uses, made here so that the render thread never
// allocates: the objects' textures, the vertices, the per-frame lists and
// the two effects.
bool CRender::CreateResources()
{
    Shared& s = *shared_;
    s.textureDevice = std::make_unique<CRenderTextureDevice>(*s.device);

    // The vertex array: the output quad, then room for the object quads.
    s.vertices.assign(kVertexBufferSize, Vertex());
    if (!s.windowed) {
        const int scale = Read(settings::kScale);
        const float side = static_cast<float>(scale > 1 ? kCompositionTargetSize / scale : kCompositionTargetSize);
        SetQuad(s.vertices.data(), 0, 0, side - 1, side - 1, FloatRect{0, 0, 1, 1}, 0);
    } else {
        s.FitPreviewQuad();
    }
    s.quads.reserve(2 * CFrameSet::kMaxObjects);
    s.renderSnapshot.reserve(CFrameSet::kMaxObjects);
    s.textSnapshot.reserve(CFrameSet::kMaxObjects);
    s.entered.reserve(CFrameSet::kMaxObjects);

    s.compositingEffect = s.device->CreateEffect(EffectId::kCompositing);
    s.outputEffect = s.device->CreateEffect(!s.windowed && !s.noYCbCrA ? EffectId::kYCbCrOutput
                                                                       : EffectId::kPlainOutput);
    if (!s.compositingEffect || !s.outputEffect) {
        WriteLog(kLogFailure, "CRender::CRender(): D3DXCreateEffectFromResource() = %08X", kResultFail);
        return false;
    }
    return true;
}

// The render and text threads; the destructor waits for both.
void CRender::StartThreads()
{
    Shared& s = *shared_;
    {
        std::lock_guard guard(s.doneMutex);
        s.threadsRunning = 2;
    }
    changes_->renderThread.reset(QThread::create(&CRender::RenderThread, shared_));
    changes_->renderThread->setObjectName(QStringLiteral("CRender render"));
    changes_->textThread.reset(QThread::create(&CRender::TextThread, shared_));
    changes_->textThread->setObjectName(QStringLiteral("CRender text"));
    changes_->renderThread->start();
    changes_->textThread->start();
    changes_->threadsStarted = true;
}

// The owner plays objects as soon as construction returns (a start-up
// script's first step), which needs the output the render thread takes.
void CRender::WaitForOutputTaken()
{
    Shared& s = *shared_;
    std::unique_lock lock(s.doneMutex);
    // A thread that ended has taken and given back the output, or failed.
    if (!s.doneSignal.wait_for(lock, std::chrono::milliseconds(kStartTimeoutMs),
                               [&s] { return s.outputTaken || s.threadsRunning < 2; }))
        WriteLog(kLogFailure, "CRender::CRender(): the render thread has not started in %d ms", kStartTimeoutMs);
}

// The thread that owns the renderer (the user interface's) keeps up with
// the output while it runs; the destructor puts its nice value back.
void CRender::RaiseOwnPriority()
{
    changes_->priorityTid = CurrentTid();
    errno = 0;
    changes_->savedNice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(changes_->priorityTid));
    changes_->priorityRaised =
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(changes_->priorityTid), kHighPriorityNice) == 0;
    WriteLog(kLogLifecycle, "CRender::CRender(): high priority: %d", changes_->priorityRaised ? 1 : 0);
}

// Screen saver, blanking and idle suspend stay away while a window shows
// the output.
void CRender::InhibitScreenSaver(const CRenderEnvironment& environment)
{
    changes_->inhibitor = environment.inhibitor;
    if (!changes_->inhibitor) {
        changes_->ownInhibitor = std::make_unique<CDBusSystemInhibitor>();
        changes_->inhibitor = changes_->ownInhibitor.get();
    }
    changes_->savedScreenSaverActive = changes_->inhibitor->Inhibited() ? 0 : 1;
    WriteLog(kLogLifecycle, "CRender::CRender(): get SPI_GETSCREENSAVEACTIVE = %d", changes_->savedScreenSaverActive);
    changes_->inhibitor->Inhibit(QStringLiteral("Output is on air"));
    WriteLog(kLogLifecycle, "CRender::CRender(): set SPI_SETSCREENSAVEACTIVE = %d",
             changes_->inhibitor->Inhibited() ? 1 : 0);
}

void CRender::StopThreads()
{
    if (!changes_->threadsStarted)
        return;
    changes_->threadsStarted = false;
    Shared& s = *shared_;
    s.stopRequested.exchange(1);
    const QDeadlineTimer deadline(kStopTimeoutMs);
    bool ended;
    {
        std::unique_lock lock(s.doneMutex);
        ended = s.doneSignal.wait_for(lock, std::chrono::milliseconds(kStopTimeoutMs),
                                      [&s] { return s.threadsRunning == 0; });
    }
    // Past their loops the threads only tidy up.
    ended = ended && changes_->renderThread->wait(deadline) && changes_->textThread->wait(deadline);
    if (!ended) {
        // A thread hung in a driver call cannot be ended safely: it is left
        // to itself with the state it uses, which it frees when it ends; its
        // thread object goes once it has finished (with an event loop here).
        WriteLog(kLogFailure, "CRender::~CRender(): terminating threads!");
        for (std::unique_ptr<QThread>* thread : {&changes_->renderThread, &changes_->textThread}) {
            QThread* abandoned = thread->release();
            QObject::connect(abandoned, &QThread::finished, abandoned, &QObject::deleteLater);
            if (abandoned->isFinished())
                abandoned->deleteLater();
        }
    }
}

CRender::~CRender()
{
    WriteLog(kLogLifecycle, "CRender::~CRender(): called");
    StopThreads();
    bool threadsGone;
    {
        std::lock_guard guard(shared_->doneMutex);
        threadsGone = shared_->threadsRunning == 0;
    }
    // Both are changed only once the threads run.
    if (changes_->priorityRaised)
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(changes_->priorityTid), changes_->savedNice);
    if (changes_->inhibitor && changes_->savedScreenSaverActive)
        changes_->inhibitor->Release();
    if (threadsGone) {
        shared_->ReleaseDevice();
        shared_->textRenderer.reset();  // off-line: made on this thread
    }
    if (changes_->outputWindow) {
        if (threadsGone) {
            changes_->outputWindow.reset();
        } else {
            // The hung render thread may still draw into it.
            changes_->outputWindow->hide();
            (void)changes_->outputWindow.release();
        }
    }
    changes_->monitor.reset();
    WriteLog(kLogLifecycle, "CRender::~CRender(): done");
}

void CRender::RenderThread(std::shared_ptr<Shared> shared)
{
    Shared& s = *shared;
    WriteLog(kLogLifecycle, "CRender::RenderThread() started");
    if (s.raisePriorities)
        ApplyOwnPriority(ThreadPriorityLevel::TimeCritical, "CRender::RenderThread()");
    if (s.page->outputActive.load() != 1) {
        if (s.page->outputActive.load() != 0)
            CPagePlayback(*s.page).StopAllObjects();
        s.page->outputActive.store(1);
    }
    {
        std::lock_guard guard(s.doneMutex);
        s.outputTaken = true;
    }
    s.doneSignal.notify_all();

    const auto started = std::chrono::steady_clock::now();
    int result = kFrameOk;
    if (s.record.Recording())
        s.record.Begin(s.ReadClocks());
    while (!s.stopRequested.load()) {
        result = RenderFrame(s, -1);
        if (result != kFrameOk)
            break;
    }
    if (const int frames = s.frameCount.load()) {
        const double elapsedMs = static_cast<double>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count());
        WriteLog(kLogLifecycle, "rendered %d frames in %d msec, %.2f msec/frame, %.2f Hz", frames,
                 static_cast<int>(elapsedMs), elapsedMs / frames, elapsedMs > 0 ? frames * 1000.0 / elapsedMs : 0.0);
    }
    if (const int count = s.drawErrors.TakeHeldBack())
        WriteLog(kLogFailure, "CRender::RenderThread(): %d more frame(s) drawn with errors", count);
    if (result != kFrameOk)
        s.renderError.store(result == kFrameDeviceLost ? kRenderDeviceLost : kRenderFrameFailed);
    if (s.page->outputActive.load() != 0) {
        CPagePlayback(*s.page).StopAllObjects();
        s.page->outputActive.store(0);
    }
    if (s.raisePriorities)
        SetCurrentThreadPriority(ThreadPriorityLevel::Normal);
    s.device->ReleaseThread();
    WriteLog(kLogLifecycle, "CRender::RenderThread() stopped");
    s.ThreadDone();
}

namespace {

// One text thread pass over the playing objects; the number that did work.
// Changed linked image files go to the importer (made when first needed);
// off-line (no importer) they are imported here, before the next frame.
int TextPass(CFrameSet& page, FrameList& snapshot, CRichEditTextRenderer& textRenderer, const ClockTimeSource& clock,
             const std::atomic<int>* stopRequested, const std::atomic<int>& frameCount, TextMeasures& measures,
             std::unique_ptr<CLinkedImageImporter>* importer)
{
    int worked = 0;
    page.TakeSnapshot(snapshot);
    for (CFrame* object : snapshot) {
        CFrameLinkedImage linkedImage(*object);
        linkedImage.FreeRetired();
        if (object->EnterText()) {
            const auto start = std::chrono::steady_clock::now();
            const int firstFrame = frameCount.load(std::memory_order_relaxed);
            const int work = CFrameTextLayout(*object, &clock).InvokeRender(textRenderer);
            const int us = static_cast<int>(
                std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count());
            std::optional<CLinkedImageRequest> import = linkedImage.CheckForChange(importer == nullptr);
            object->LeaveText();
            if (work) {
                ++worked;
                if (measures.recordedSpans < static_cast<int>(measures.spans.size()))
                    measures.spans[measures.recordedSpans++] = {firstFrame, frameCount.load(std::memory_order_relaxed)};
            }
            int busiest = measures.busiestChunkUs.load(std::memory_order_relaxed);
            while (us > busiest && !measures.busiestChunkUs.compare_exchange_weak(busiest, us, std::memory_order_relaxed)) {
            }
            if (import && importer) {
                if (!*importer)
                    *importer = std::make_unique<CLinkedImageImporter>();
                (*importer)->Post(std::move(*import));
            } else if (import) {
                CFrameLinkedImage::Import(*import, {});
            }
        }
        if (stopRequested && stopRequested->load())
            break;
    }
    page.ReleaseSnapshot();
    return worked;
}

}  // namespace

void CRender::TextThread(std::shared_ptr<Shared> shared)
{
    Shared& s = *shared;
    WriteLog(kLogLifecycle, "CRender::TextThread() started");
    // Where the render thread keeps normal priority (measurements, tests),
    // the text thread still gives way to it, as it does on air.
    ApplyOwnPriority(s.raisePriorities ? ThreadPriorityLevel::AboveNormal : ThreadPriorityLevel::BelowNormal,
                     "CRender::TextThread()");
    s.textRenderer = std::make_unique<CRichEditTextRenderer>();
    s.text.tid = CurrentTid();
    if (s.recordLimit > 0 && ::pthread_getcpuclockid(::pthread_self(), &s.text.clock) == 0)
        s.text.clockKnown.store(true, std::memory_order_release);
    // Ends with this thread: an import under way stops at its next frame.
    std::unique_ptr<CLinkedImageImporter> importer;
    while (!s.stopRequested.load()) {
        const int worked =
            TextPass(*s.page, s.textSnapshot, *s.textRenderer, s.clockTime, &s.stopRequested, s.frameCount, s.text,
                     &importer);
        s.text.passes.fetch_add(1, std::memory_order_relaxed);
        if (!worked) {
            // Idle: what was posted to objects of this thread is delivered.
            // Timers are left alone: a layout the documents would continue
            // from them is finished when a chunk needs it.
            QCoreApplication::sendPostedEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    importer.reset();
    // The render thread may draw a last frame after this one has gone.
    s.text.clockKnown.store(false, std::memory_order_release);
    s.textRenderer.reset();
    if (s.raisePriorities)
        SetCurrentThreadPriority(ThreadPriorityLevel::Normal);
    WriteLog(kLogLifecycle, "CRender::TextThread() stopped");
    s.ThreadDone();
}

int CRender::RenderFrame(Shared& s, int stepOverrideUs)
{
    if (s.page->outputActive.load() == 0)
        return kFrameOutputInactive;

    int step;
    if (stepOverrideUs >= 0) {
        step = stepOverrideUs;
    } else {
        const uint64_t now = s.timer.ElapsedMicroseconds();
        step = s.lastTime ? static_cast<int>(now > s.lastTime ? now - s.lastTime : s.lastTime - now) : 0;
        s.lastTime = now;
    }

    s.quads.clear();
    s.entered.clear();
    bool anyShadow = false;
    // Measured frames note which object's own steps took longest (a clock
    // read per object; the processor clock only around them all).
    const bool measuring = s.record.Recording();
    const int64_t objectsCpuStart = measuring ? CpuClockUs(CLOCK_THREAD_CPUTIME_ID) : 0;
    int slowestObject = -1;
    int slowestObjectUs = 0;
    int place = -1;
    s.page->TakeSnapshot(s.renderSnapshot);
    for (CFrame* object : s.renderSnapshot) {
        ++place;
        if (!object->playing.load())
            continue;
        if (!object->EnterRender())
            continue;
        s.entered.push_back(object);
        // The text thread reloads the countdown concurrently: only a
        // positive value is decremented, and only the one that reaches 0
        // asks for the source check.
        int countdown = object->sourceCheckCountdown.load();
        while (countdown > 0 && !object->sourceCheckCountdown.compare_exchange_weak(countdown, countdown - 1)) {
        }
        if (countdown == 1)
            object->sourceCheckDue.exchange(1);

        PresentResult result;
        const auto stepsBegun = measuring ? std::chrono::steady_clock::now() : std::chrono::steady_clock::time_point{};
        const int presentedObject = CFramePlayer(*object).PresentFrame(result, s.textureDevice.get(), step);
        if (measuring) {
            const auto us = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                                  stepsBegun).count();
            if (us > slowestObjectUs) {
                slowestObjectUs = static_cast<int>(us);
                slowestObject = place;
            }
        }
        if (!presentedObject) {
            object->LeaveRender();
            s.entered.pop_back();
            if (s.page->outputActive.load() != 0)
                object->StopFromRenderThread();
            continue;
        }
        if (IDeviceTexture* background = CRenderTextureDevice::DeviceTextureOf(result.backgroundTexture))
            s.quads.push_back({result.destRect, result.backgroundUV, background, result.alpha, 0, 0});
        if (IDeviceTexture* text = CRenderTextureDevice::DeviceTextureOf(result.textTexture)) {
            const int shadowSize = ShadowSize(object->dropShadow);
            s.quads.push_back({result.destRect, result.textUV, text, result.alpha, shadowSize, object->movement});
            anyShadow = anyShadow || shadowSize > 0;
        }
    }

    if (measuring)
        s.record.NoteObjectSteps(static_cast<int>(CpuClockUs(CLOCK_THREAD_CPUTIME_ID) - objectsCpuStart), slowestObject,
                                 slowestObjectUs);

    IGraphicsDevice& device = *s.device;
    const bool previewQuadChanged = s.windowed && s.FitPreviewQuad();
    if (!s.quads.empty() || s.frameCount.load() == 0 || previewQuadChanged) {
        for (size_t i = 0; i < s.quads.size(); ++i) {
            const Quad& q = s.quads[i];
            SetQuad(&s.vertices[4 + 4 * i], q.dest.left - 0.5f, q.dest.top - 0.5f, q.dest.right - 0.5f,
                    q.dest.bottom - 0.5f, q.uv, static_cast<uint32_t>(q.alpha) << 24);
        }
        device.UploadVertices(s.vertices.data(), kVertexBufferSize);
    }

    // The objects into the composition target, bottom first.
    device.SetRenderTarget(device.CompositionTarget());
    device.Clear(s.backColor);
    IDeviceEffect& compositing = *s.compositingEffect;
    if (!s.quads.empty() && !anyShadow) {
        compositing.SetTechnique("AlphaMix");
        compositing.Begin();
        for (size_t i = 0; i < s.quads.size(); ++i) {
            compositing.SetTexture("g_txSrcColor", s.quads[i].texture);
            compositing.BeginPass(0);
            device.DrawQuad(static_cast<int>(4 + 4 * i));
            compositing.EndPass();
        }
        compositing.End();
    } else if (!s.quads.empty()) {
        static const char* const kShadowTechniques[3] = {"AlphaMixShadowHV", "AlphaMixShadowH", "AlphaMixShadowV"};
        static const char* const kXNames[5] = {"g_fXL2", "g_fXL1", "g_fX00", "g_fXR1", "g_fXR2"};
        static const char* const kYNames[5] = {"g_fYL2", "g_fYL1", "g_fY00", "g_fYR1", "g_fYR2"};
        for (size_t i = 0; i < s.quads.size(); ++i) {
            const Quad& q = s.quads[i];
            const int kind = std::clamp(q.shadowKind, 0, 2);
            compositing.SetTechnique(q.shadowSize == 0 ? "AlphaMix" : kShadowTechniques[kind]);
            if (q.shadowSize > 0) {
                const int width = q.texture->Width();
                const int height = q.texture->Height();
                for (int t = 0; t < 5; ++t) {
                    const float taps = static_cast<float>(q.shadowSize - 3 + t);
                    if (width > 0)
                        compositing.SetFloat(kXNames[t], taps * (-1.0f / static_cast<float>(width)));
                    if (height > 0)
                        compositing.SetFloat(kYNames[t], taps * (-1.0f / static_cast<float>(height)));
                }
            }
            compositing.SetTexture("g_txSrcColor", q.texture);
            const int passes = compositing.Begin();
            for (int p = 0; p < passes; ++p) {
                compositing.BeginPass(p);
                device.DrawQuad(static_cast<int>(4 + 4 * i));
                compositing.EndPass();
            }
            compositing.End();
        }
    }

    // The composition onto the back buffer, encoded for the output.
    device.SetRenderTarget(nullptr);
    const bool plain = s.windowed || s.noYCbCrA;
    IDeviceEffect& output = *s.outputEffect;
    if (plain) {
        device.Clear(s.backColor);
        output.SetTechnique("AlphaBlend");
    } else {
        output.SetTechnique(s.fullRange.load() == 1 ? "RGBA2YCbCrA_Full" : "RGBA2YCbCrA_Limited");
        output.SetFloat("g_TextureWidth", 2047.0f);
    }
    output.SetTexture("g_txSrcColor", device.CompositionTarget());
    output.Begin();
    output.BeginPass(0);
    device.DrawQuad(0);
    output.EndPass();
    output.End();

    const DeviceStatus presented = device.Present();
    s.AfterPresent();
    ++s.frameCount;
    int result = kFrameOk;
    if (presented == DeviceStatus::kDrawFailed) {
        // One wrong frame is no reason to take the output off the air.
        if (const int count = s.drawErrors.Note(CFrameErrorLog::Clock::now()))
            WriteLog(kLogFailure, "CRender::RenderFrame(): %d frame(s) drawn with errors; the output goes on", count);
    } else if (presented != DeviceStatus::kOk) {
        const bool lost = presented == DeviceStatus::kDeviceLost;
        WriteLog(kLogFailure, "CRender::RenderFrame(): FAILED = %08X", lost ? kResultDeviceLost : kResultFail);
        result = lost ? kFrameDeviceLost : kFrameFailed;
    }

    for (CFrame* object : s.entered)
        object->LeaveRender();
    s.page->ReleaseSnapshot();
    return result;
}

int CRender::RenderOfflineFrame(int stepUs)
{
    if (!changes_->offline || renderError.load() != kRenderRunning)
        return kFrameFailed;
    return RenderFrame(*shared_, std::max(0, stepUs));
}

int CRender::PrepareTextOnce()
{
    if (!changes_->offline || renderError.load() != kRenderRunning)
        return 0;
    return TextPass(*shared_->page, shared_->textSnapshot, *shared_->textRenderer, shared_->clockTime, nullptr,
                    shared_->frameCount, shared_->text, nullptr);
}

bool CRender::ReadBackBuffer(CPicture* picture)
{
    return changes_->offline && shared_->device && shared_->device->ReadBackBuffer(picture);
}

bool CRender::ReadComposition(CPicture* picture)
{
    return changes_->offline && shared_->device &&
           shared_->device->ReadTexture(shared_->device->CompositionTarget(), picture);
}

CRenderStatistics CRender::StopAndCollect()
{
    StopThreads();
    CRenderStatistics statistics;
    {
        std::lock_guard guard(shared_->doneMutex);
        if (shared_->threadsRunning != 0)
            return statistics;
    }
    statistics.frames = shared_->frameCount.load();
    shared_->record.CopyTo(statistics);
    statistics.layoutSpans.assign(shared_->text.spans.begin(),
                                  shared_->text.spans.begin() + shared_->text.recordedSpans);
    statistics.busiestTextChunkUs = shared_->text.busiestChunkUs.load();
    statistics.textPasses = shared_->text.passes.load();
    // Both threads have ended: the counters are the render thread's last word.
    shared_->page->TakeSnapshot(shared_->renderSnapshot);
    for (const CFrame* object : shared_->renderSnapshot)
        statistics.textWaitFrames += object->textWaits;
    shared_->page->ReleaseSnapshot();
    return statistics;
}

int CRender::FramesPresented() const
{
    return shared_->frameCount.load();
}

const DeviceDescription* CRender::Device() const
{
    return shared_->device ? &shared_->device->Description() : nullptr;
}
