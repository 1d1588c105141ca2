#include "content/FramePlayer.h"
#include "content/PagePlayback.h"
#include "model/FrameSet.h"
#include "support/MemoryTextureDevice.h"
#include "playback/PresentResult.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// The operator's stop on its own thread, returned once it has taken the
// object off the air (playing cleared); stopped gets StopOutput's result
// when the stop returns.
std::thread StopOnAnotherThread(CFrame& object, std::atomic<int>& stopped)
{
    std::thread ui([&object, &stopped] { stopped.store(object.StopOutput()); });
    while (object.playing.load())
        std::this_thread::yield();
    return ui;
}

// The render thread's side of the page, as the output engine runs it: every
// playing object is presented and its textures are used ("drawn") while
// inRender holds it; finished objects are stopped.
class RenderLoop
{
public:
    explicit RenderLoop(CFrameSet& page)
        : page_(page),
          thread_([this] { Run(); })
    {
    }

    ~RenderLoop()
    {
        stop_.store(true);
        thread_.join();
    }

    int Frames() const { return frames_.load(); }
    long long Drawn() const { return drawn_.load(); }

private:
    void Run()
    {
        CMemoryTextureDevice device;
        FrameList list;
        while (!stop_.load()) {
            page_.TakeSnapshot(list);
            for (CFrame* object : list) {
                if (!object->EnterRender())
                    continue;
                // The text thread's first look finds no text.
                if (object->chunksRendered.load() == 0) {
                    object->noMoreChunks.store(1);
                    object->chunksRendered.store(1);
                }
                PresentResult result;
                const int presented = CFramePlayer(*object).PresentFrame(result, &device, 20000);
                int texels = 0;
                if (result.backgroundTexture)
                    texels += result.backgroundTexture->Width() * result.backgroundTexture->Height();
                drawn_.fetch_add(texels);
                object->LeaveRender();
                if (!presented && page_.outputActive.load())
                    object->StopOutput();
            }
            page_.ReleaseSnapshot();
            frames_.fetch_add(1);
        }
    }

    CFrameSet& page_;
    std::atomic<bool> stop_{false};
    std::atomic<int> frames_{0};
    std::atomic<long long> drawn_{0};
    std::thread thread_;
};

TEST(FramePlaybackThreads, CommandsWhileTheRenderThreadPresents)
{
    CFrameSet page;
    for (int i = 0; i < 24; ++i) {
        auto object = std::make_unique<CFrame>();
        object->framePeriod = 1000;  // polls of 2 ms while stopping
        object->rect = {0, 0, 64, 32};
        object->group = QString::number(i % 3);
        object->hotkey = 1 + i % 4;
        object->inDuration = 40 + i;
        object->inEffect = i % 31;
        object->showIndefinitely = i % 2;
        object->showFor = 200 + 10 * i;
        object->outDuration = 60;
        object->outEffect = (i * 7) % 31;
        object->repeat = i % 5 == 0;
        page.AddObject(object);
    }
    page.outputActive.store(1);
    {
        RenderLoop render(page);
        FrameList list;
        for (int round = 0; round < 400; ++round) {
            page.TakeSnapshot(list);
            CFrame* someone = list[size_t(round) % list.size()];
            switch (round % 8) {
            case 0: CPagePlayback(page).PlayAllObjects(); break;
            case 1: CPagePlayback(page).PauseAllObjects(); break;
            case 2: CPagePlayback(page).EndAllObjects(); break;
            case 3: CPagePlayback(page).TogglePlayEnd(someone); break;
            case 4: CPagePlayback(page).PlayOrEndByHotkey(1 + round % 4); break;
            case 5: CPagePlayback(page).StopGroup(someone->group, nullptr); break;
            case 6: CPagePlayback(page).PlayGroup(someone->group, someone); break;
            case 7:
                someone->StopOutput();
                EXPECT_EQ(someone->backgroundTexture, nullptr);
                break;
            }
            page.ReleaseSnapshot();
            if (round % 50 == 49) {
                // Give the render thread a few frames with objects on air.
                const int until = render.Frames() + 3;
                while (render.Frames() < until)
                    std::this_thread::yield();
            }
        }
        CPagePlayback(page).StopAllObjects();
        EXPECT_GT(render.Drawn(), 0) << "objects were on air";
    }
    FrameList list;
    page.TakeSnapshot(list);
    for (const CFrame* object : list) {
        EXPECT_EQ(object->playing.load(), 0);
        EXPECT_EQ(object->inRender.load(), 0);
        EXPECT_EQ(object->backgroundTexture, nullptr);
    }
    page.ReleaseSnapshot();
}

TEST(FramePlaybackThreads, StopWaitsForTheRenderThread)
{
    CFrame object;
    object.framePeriod = 1000;
    CMemoryTextureDevice device;
    PresentResult result;
    CFramePlayer(object).Play();
    ASSERT_EQ(object.EnterRender(), 1);
    ASSERT_EQ(CFramePlayer(object).PresentFrame(result, &device, 20000), 1);
    ASSERT_NE(object.backgroundTexture, nullptr);

    std::atomic<int> stopped{-1};
    std::thread ui = StopOnAnotherThread(object, stopped);
    // Off the air, but the render thread still has it: the texture stays.
    EXPECT_EQ(stopped.load(), -1);
    EXPECT_EQ(result.backgroundTexture, nullptr) << "nothing drawn before the text thread looked";
    EXPECT_EQ(object.backgroundTexture->Width(), 8);
    object.LeaveRender();
    ui.join();
    EXPECT_EQ(stopped.load(), 1);
    EXPECT_EQ(object.backgroundTexture, nullptr);
    EXPECT_EQ(object.EnterRender(), 0) << "a stopped object is not presented";
    EXPECT_EQ(object.inRender.load(), 0);
}

// The render thread has set inRender and is about to look at playing again
// when the operator stops and plays the object at once: the flag is the
// render thread's, and the next stop waits for it.
TEST(FramePlaybackThreads, StopPlayStopWaitsForTheRenderThread)
{
    CFrame object;
    object.framePeriod = 1000;
    CMemoryTextureDevice device;
    PresentResult result;
    CFramePlayer(object).Play();
    object.StopOutput();

    // EnterRender's first look found the object playing; then it was
    // stopped, and inRender is set before the second look.
    object.inRender.exchange(1);
    CFramePlayer(object).Play();
    EXPECT_EQ(object.inRender.load(), 1) << "Play leaves the render thread's flag alone";
    // The second look finds it playing again: the frame goes on.
    ASSERT_EQ(object.playing.load(), 1);
    ASSERT_EQ(CFramePlayer(object).PresentFrame(result, &device, 20000), 1);
    ASSERT_NE(object.backgroundTexture, nullptr);

    std::atomic<int> stopped{-1};
    std::thread ui = StopOnAnotherThread(object, stopped);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(stopped.load(), -1) << "the stop waits while the frame is drawn";
    EXPECT_NE(object.backgroundTexture, nullptr);
    object.LeaveRender();
    ui.join();
    EXPECT_EQ(stopped.load(), 1);
    EXPECT_EQ(object.backgroundTexture, nullptr);
}

// Stop, play, stop in a loop while a render thread presents the objects:
// no texture is released under a frame (address and thread sanitizers).
TEST(FramePlaybackThreads, StopPlayStopWhileTheRenderThreadPresents)
{
    CFrameSet page;
    for (int i = 0; i < 4; ++i) {
        auto object = std::make_unique<CFrame>();
        object->framePeriod = 1000;
        object->rect = {0, 0, 64, 32};
        page.AddObject(object);
    }
    page.outputActive.store(1);
    {
        RenderLoop render(page);
        FrameList list;
        page.TakeSnapshot(list);
        for (int round = 0; round < 2000; ++round) {
            CFrame* object = list[size_t(round) % list.size()];
            object->StopOutput();
            CFramePlayer(*object).Play();
            object->StopOutput();
            CFramePlayer(*object).Play();
            if (round % 100 == 99) {
                const int until = render.Frames() + 2;
                while (render.Frames() < until)
                    std::this_thread::yield();
            }
        }
        page.ReleaseSnapshot();
        CPagePlayback(page).StopAllObjects();
        EXPECT_GT(render.Frames(), 0);
    }
}

}  // namespace
