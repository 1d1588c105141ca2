// The page under load from three threads, as while the output runs: the
// user-interface thread adds, removes, reorders and plays objects while a
// render thread and a text thread take snapshots and use the objects. Run
// under AddressSanitizer (no use after free) and ThreadSanitizer (no race).
#include "model/FrameSet.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <set>
#include <thread>

namespace {

std::atomic<int> alive{0};

class CountedFrame : public CFrame
{
public:
    CountedFrame() { alive.fetch_add(1); }
    ~CountedFrame() override
    {
        // Destroying an object a thread is still presenting is the fault
        // this test hunts.
        EXPECT_EQ(inRender.load(), 0);
        alive.fetch_sub(1);
    }
};

TEST(FrameSetThreads, EditingWhileRenderAndTextThreadsRun)
{
    CFrameSet page;
    page.outputActive = 1;
    std::atomic<bool> stop{false};
    std::atomic<long> presented{0};
    std::atomic<long> snapshots{0};
    std::atomic<int> badSnapshots{0};

    auto render = [&] {
        FrameList list;
        while (!stop.load()) {
            const int count = page.TakeSnapshot(list);
            std::set<int> ids;
            for (CFrame* object : list)
                ids.insert(object->id);
            if (count > CFrameSet::kMaxObjects || ids.size() != list.size())
                badSnapshots.fetch_add(1);
            for (CFrame* object : list) {
                if (!object->EnterRender())
                    continue;
                // Presenting: read the settings and advance the clock.
                object->elapsed += object->rect.Width() > 0 ? 1 : 2;
                presented.fetch_add(1, std::memory_order_relaxed);
                object->LeaveRender();
            }
            page.ReleaseSnapshot();
            snapshots.fetch_add(1, std::memory_order_relaxed);
        }
    };
    auto text = [&] {
        FrameList list;
        while (!stop.load()) {
            page.TakeSnapshot(list);
            for (CFrame* object : list) {
                if (object->playing.load() && object->group.size() >= 0)
                    object->sourceCheckCountdown.fetch_add(1);
            }
            page.ReleaseSnapshot();
            std::this_thread::yield();
        }
    };
    std::thread renderThread(render);
    std::thread textThread(text);

    std::mt19937 random(20261210);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    long operations = 0;
    FrameList list;
    while (std::chrono::steady_clock::now() < until) {
        page.TakeSnapshot(list);
        const FrameList live = list;
        page.ReleaseSnapshot();
        CFrame* some = live.empty() ? nullptr : live[random() % live.size()];
        switch (random() % 8) {
        case 0:
        case 1: {
            std::unique_ptr<CFrame> object = std::make_unique<CountedFrame>();
            object->rect = {0, 0, static_cast<int>(random() % 100), 10};
            object->group = QStringLiteral("G%1").arg(random() % 4);
            if (random() % 2 && some)
                page.InsertObjectAfter(object, some->id);
            else
                page.AddObject(object);
            break;
        }
        case 2:
            page.RemoveObject(some);
            break;
        case 3:
            if (some)
                page.MoveObject(some, static_cast<int>(random() % 2));
            break;
        case 4:
        case 5:
            if (some)
                some->playing.exchange(1);
            break;
        case 6:
            if (some)
                some->StopOutput();
            break;
        case 7:
            if (random() % 50 == 0) {
                page.RemoveAllObjects();
            } else {
                QStringList groups;
                page.CollectGroupNames(groups);
                EXPECT_LE(groups.size(), 4);
            }
            break;
        }
        ++operations;
        // A burst of additions now and then fills the page to its limit.
        if (operations % 5000 == 0) {
            for (int i = 0; i < CFrameSet::kMaxObjects + 10; ++i) {
                std::unique_ptr<CFrame> object = std::make_unique<CountedFrame>();
                object->playing = 1;
                page.AddObject(object);
            }
            EXPECT_LE(page.LiveCount(), CFrameSet::kMaxObjects);
        }
    }
    stop = true;
    renderThread.join();
    textThread.join();

    EXPECT_EQ(badSnapshots.load(), 0);
    EXPECT_GT(presented.load(), 0);
    EXPECT_GT(snapshots.load(), 10);
    page.RemoveAllObjects();
    EXPECT_EQ(alive.load(), 0) << "every removed object is destroyed once no snapshot remains";
    RecordProperty("operations", static_cast<int>(operations));
}

}  // namespace
