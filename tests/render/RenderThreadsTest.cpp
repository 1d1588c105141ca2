#include "RenderFixture.h"
#include "support/ForwardingDevice.h"

#include "app/MemorySettingsStore.h"
#include "content/PagePlayback.h"
#include "render/cpu/CpuDevice.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <mutex>

// The renderer's threads against the page: started and stopped while
// objects play, failures of the render thread surfacing as renderError.
// Runs under the thread sanitizer too.

using namespace renderfixture;

namespace {

class RenderThreads : public ::testing::Test
{
protected:
    void SetUp() override
    {
        previous_ = InstallSettingsStore(std::make_unique<CMemorySettingsStore>());
        const int period = VideoModeByName(QStringLiteral("720p50"))->framePeriodUs;
        for (int i = 0; i < 8; ++i) {
            auto object = Solid(20 * i, 30 * i, 400, 100, 0x80204080u, period);
            object->inEffect = i % 2;  // every other one slides in
            object->inDuration = 200;
            object->fadeIn = 1;
            Add(page_, std::move(object));
        }
    }
    void TearDown() override { InstallSettingsStore(std::move(previous_)); }

    int PlayingCount()
    {
        FrameList list;
        int playing = 0;
        page_.TakeSnapshot(list);
        for (CFrame* object : list)
            playing += object->playing.load();
        page_.ReleaseSnapshot();
        return playing;
    }

    CFrameSet page_;
    std::unique_ptr<ISettingsStore> previous_;
};

TEST_F(RenderThreads, StartAndStopManyTimesWithObjectsPlaying)
{
    for (int round = 0; round < 12; ++round) {
        auto render = OffscreenRender(page_);
        ASSERT_EQ(render->renderError.load(), 0);
        ASSERT_TRUE(WaitFor([&] { return page_.outputActive.load() == 1; }));
        EXPECT_EQ(CPagePlayback(page_).PlayAllObjects(), 1);
        TextLookedAt(page_);
        // Let a few frames present the objects (and stop some of them from
        // the user-interface thread meanwhile, as the operator would).
        const int start = render->FramesPresented();
        ASSERT_TRUE(WaitFor([&] { return render->FramesPresented() >= start + 3; }));
        if (round % 3 == 1)
            CPagePlayback(page_).EndAllObjects();
        if (round % 3 == 2) {
            FrameList list;
            page_.TakeSnapshot(list);
            list.front()->StopOutput();
            page_.ReleaseSnapshot();
        }
        render.reset();
        EXPECT_EQ(page_.outputActive.load(), 0) << "the render thread hands the output back";
        EXPECT_EQ(PlayingCount(), 0) << "stopping the output stops every object";
    }
    FrameList list;
    page_.TakeSnapshot(list);
    for (CFrame* object : list) {
        EXPECT_FALSE(object->backgroundTexture) << "textures are released with the output";
        EXPECT_EQ(object->inRender.load(), 0);
    }
    page_.ReleaseSnapshot();
}

// The owner plays objects as soon as the renderer is made (a start-up
// script's first step): by then the render thread has taken the output.
TEST_F(RenderThreads, OutputIsTakenWhenConstructionReturns)
{
    for (int round = 0; round < 10; ++round) {
        SCOPED_TRACE(round);
        auto render = OffscreenRender(page_);
        ASSERT_EQ(render->renderError.load(), 0);
        EXPECT_EQ(page_.outputActive.load(), 1);
        EXPECT_EQ(CPagePlayback(page_).PlayAllObjects(), 1);
        EXPECT_EQ(PlayingCount(), 8);
        render.reset();
    }
}

TEST_F(RenderThreads, TextThreadVisitsPlayingObjects)
{
    auto render = OffscreenRender(page_);
    ASSERT_EQ(render->renderError.load(), 0);
    ASSERT_TRUE(WaitFor([&] { return page_.outputActive.load() == 1; }));
    CPagePlayback(page_).PlayAllObjects();
    // On a loaded machine the text thread may not have had its turn within a
    // fixed number of frames: wait until it has looked at a playing object.
    const auto textLookedAt = [&] {
        FrameList list;
        page_.TakeSnapshot(list);
        const bool any = std::any_of(list.begin(), list.end(),
                                     [](const CFrame* o) { return o->chunksRendered.load() > 0; });
        page_.ReleaseSnapshot();
        return any;
    };
    ASSERT_TRUE(WaitFor([&] { return render->FramesPresented() >= 5 && textLookedAt(); }));
    const CRenderStatistics statistics = render->StopAndCollect();
    EXPECT_GE(statistics.frames, 5);
    EXPECT_GT(statistics.textPasses, 0);
}

// A CPU device whose presentation fails after a few frames (for good, or
// for `failures` frames), or hangs there until the test lets it go, as a
// driver call may; it says when it is gone. A frame drawn with errors is
// shown.
class CFailingDevice final : public CForwardingDevice
{
public:
    CFailingDevice(std::unique_ptr<IGraphicsDevice> inner, DeviceStatus failure, int goodFrames)
        : CForwardingDevice(std::move(inner)), failure_(failure), goodFrames_(goodFrames)
    {
    }
    ~CFailingDevice() override
    {
        if (destroyed)
            destroyed->store(true);
    }
    DeviceStatus Present() override
    {
        const int frame = presented_++;
        if (frame >= goodFrames_ && frame - goodFrames_ < failures) {
            if (hang) {
                std::unique_lock lock(hang->mutex);
                hang->signal.wait(lock, [this] { return hang->released; });
            }
            if (failure_ == DeviceStatus::kDrawFailed)
                Inner().Present();
            return failure_;
        }
        return Inner().Present();
    }

    int failures = INT_MAX;

    struct Hang
    {
        std::mutex mutex;
        std::condition_variable signal;
        bool released = false;

        void Release()
        {
            std::lock_guard guard(mutex);
            released = true;
            signal.notify_all();
        }
    };
    Hang* hang = nullptr;
    std::atomic<bool>* destroyed = nullptr;

private:
    DeviceStatus failure_;
    int goodFrames_;
    int presented_ = 0;
};

TEST_F(RenderThreads, PresentationFailureEndsTheOutputWithItsCode)
{
    const struct
    {
        DeviceStatus failure;
        int renderError;
    } cases[] = {{DeviceStatus::kDeviceLost, 5}, {DeviceStatus::kFailed, 6}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.renderError);
        CRenderEnvironment environment;
        environment.createDevice = [&c](const DeviceRequest& request, QString* error) -> std::unique_ptr<IGraphicsDevice> {
            auto inner = CreateGraphicsDevice(request, error);
            return std::make_unique<CFailingDevice>(std::move(inner), c.failure, 4);
        };
        auto render = OffscreenRender(page_, environment);
        ASSERT_EQ(render->renderError.load(), 0);
        ASSERT_TRUE(WaitFor([&] { return page_.outputActive.load() == 1; }));
        CPagePlayback(page_).PlayAllObjects();
        ASSERT_TRUE(WaitFor([&] { return render->renderError.load() != 0; }));
        EXPECT_EQ(render->renderError.load(), c.renderError);
        ASSERT_TRUE(WaitFor([&] { return page_.outputActive.load() == 0; }));
        EXPECT_EQ(PlayingCount(), 0) << "a failed output stops its objects";
        render.reset();  // also stops the text thread
    }
}

// A frame drawn with errors is logged; the output and its objects go on.
TEST_F(RenderThreads, FrameDrawnWithErrorsKeepsTheOutputOn)
{
    for (const int failures : {1, 30}) {
        SCOPED_TRACE(failures);
        CRenderEnvironment environment;
        environment.createDevice = [failures](const DeviceRequest& request,
                                              QString* error) -> std::unique_ptr<IGraphicsDevice> {
            auto device = std::make_unique<CFailingDevice>(CreateGraphicsDevice(request, error),
                                                           DeviceStatus::kDrawFailed, 4);
            device->failures = failures;
            return device;
        };
        auto render = OffscreenRender(page_, environment);
        ASSERT_EQ(render->renderError.load(), 0);
        ASSERT_TRUE(WaitFor([&] { return page_.outputActive.load() == 1; }));
        CPagePlayback(page_).PlayAllObjects();
        TextLookedAt(page_);
        ASSERT_TRUE(WaitFor([&] { return render->FramesPresented() >= 40 || render->renderError.load() != 0; }));
        EXPECT_EQ(render->renderError.load(), 0);
        EXPECT_EQ(page_.outputActive.load(), 1);
        EXPECT_EQ(PlayingCount(), 8);
        render.reset();
    }
}

// A render thread hung in the driver is left behind after 2000 ms with
// what it uses; once it returns it ends, frees that and its thread goes.
TEST_F(RenderThreads, HungRenderThreadIsLeftBehindAndEndsLater)
{
    CFailingDevice::Hang hang;
    std::atomic<bool> destroyed{false};
    CRenderEnvironment environment;
    environment.createDevice = [&](const DeviceRequest& request, QString* error) -> std::unique_ptr<IGraphicsDevice> {
        auto device = std::make_unique<CFailingDevice>(CreateGraphicsDevice(request, error), DeviceStatus::kOk, 3);
        device->hang = &hang;
        device->destroyed = &destroyed;
        return device;
    };
    auto render = OffscreenRender(page_, environment);
    ASSERT_EQ(render->renderError.load(), 0);
    CPagePlayback(page_).PlayAllObjects();
    ASSERT_TRUE(WaitFor([&] { return render->FramesPresented() >= 3; }));
    render.reset();  // returns although the render thread still hangs
    EXPECT_FALSE(destroyed.load()) << "nothing is freed under the hung thread";
    EXPECT_EQ(page_.outputActive.load(), 1) << "the hung thread still owns the output";

    hang.Release();
    EXPECT_TRUE(WaitFor([&] { return destroyed.load(); })) << "the thread ends and frees what it used";
    EXPECT_TRUE(WaitFor([&] { return page_.outputActive.load() == 0; }));
    // Its thread object is deleted through this thread's events.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(RenderThreads, OutputTakenAwayFailsTheFrame)
{
    auto render = OffscreenRender(page_);
    ASSERT_EQ(render->renderError.load(), 0);
    ASSERT_TRUE(WaitFor([&] { return render->FramesPresented() >= 2; }));
    page_.outputActive.store(0);
    ASSERT_TRUE(WaitFor([&] { return render->renderError.load() != 0; }));
    EXPECT_EQ(render->renderError.load(), 6);
}

// Qt's warnings of the process while one exists.
class CQtMessages
{
public:
    CQtMessages() { previous_ = qInstallMessageHandler(&CQtMessages::Handle); }
    ~CQtMessages() { qInstallMessageHandler(previous_); }

    QStringList Warnings()
    {
        QMutexLocker locker(&mutex_);
        return warnings_;
    }

private:
    static void Handle(QtMsgType type, const QMessageLogContext&, const QString& message)
    {
        if (type == QtDebugMsg || type == QtInfoMsg)
            return;
        QMutexLocker locker(&mutex_);
        warnings_ << message;
    }

    static inline QMutex mutex_;
    static inline QStringList warnings_;
    QtMessageHandler previous_ = nullptr;
};

// A long rolling text is laid out in steps that the text document would
// continue from timers of the thread it lives on: the text thread must be
// one that can have them. The frames drawn meanwhile are recorded.
TEST_F(RenderThreads, LongRollTextIsLaidOutWithoutThreadWarnings)
{
    CQtMessages messages;
    auto roll = std::make_unique<CFrame>();
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Arial;}}{\\colortbl ;\\red255\\green255\\blue255;}"
                     "\\pard\\cf1\\f0\\fs56 ";
    for (int i = 0; i < 400; ++i)
        rtf += "Line " + QByteArray::number(i) + " of the closing credits, with a name and a role\\par ";
    roll->richText = rtf + "}";
    roll->rect = {0, 0, 1280, 720};
    roll->movement = kMovementRoll;
    roll->backgroundColor = 0;
    roll->framePeriod = VideoModeByName(QStringLiteral("720p50"))->framePeriodUs;
    CFrame* rolling = roll.get();
    Add(page_, std::move(roll));

    CRenderEnvironment environment;
    environment.recordFrames = 100000;
    auto render = OffscreenRender(page_, environment);
    ASSERT_EQ(render->renderError.load(), 0);
    ASSERT_TRUE(WaitFor([&] { return page_.outputActive.load() == 1; }));
    CPagePlayback(page_).PlayAllObjects();
    ASSERT_TRUE(WaitFor([&] { return rolling->chunksRendered.load() >= 1; }));
    const int framesAfterLayout = render->FramesPresented() + 2;
    ASSERT_TRUE(WaitFor([&] { return render->FramesPresented() >= framesAfterLayout; }));
    const CRenderStatistics statistics = render->StopAndCollect();
    render.reset();
    EXPECT_TRUE(messages.Warnings().isEmpty()) << qPrintable(messages.Warnings().join(QLatin1Char('\n')));

    EXPECT_EQ(static_cast<int>(statistics.frameTimesUs.size()), statistics.frames);
    // Paced off-screen: how late each frame was presented, too.
    EXPECT_EQ(statistics.lateUs.size(), statistics.frameTimesUs.size());
    ASSERT_FALSE(statistics.layoutSpans.empty()) << "the roll's chunk was laid out";
    int previous = 0;
    for (const LayoutSpan& span : statistics.layoutSpans) {
        EXPECT_LE(previous, span.firstFrame) << "spans follow one another";
        EXPECT_LE(span.firstFrame, span.lastFrame);
        EXPECT_LE(span.lastFrame, statistics.frames);
        previous = span.lastFrame;
    }

    // With each frame, the processor time each thread had in it: a thread
    // runs no longer than the frame lasts (a millisecond for the clocks'
    // reading), and the text thread's clock is read once it has started.
    ASSERT_EQ(statistics.renderCpuUs.size(), statistics.frameTimesUs.size());
    ASSERT_EQ(statistics.textCpuUs.size(), statistics.frameTimesUs.size());
    bool textSeen = false;
    for (size_t i = 0; i < statistics.frameTimesUs.size(); ++i) {
        EXPECT_LE(statistics.renderCpuUs[i], statistics.frameTimesUs[i] + 1000) << "frame " << i;
        EXPECT_LE(statistics.textCpuUs[i], statistics.frameTimesUs[i] + 1000) << "frame " << i;
        textSeen = textSeen || statistics.textCpuUs[i] >= 0;
    }
    EXPECT_TRUE(textSeen);
}

}  // namespace
