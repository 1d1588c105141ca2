// The text thread renders chunks while the render thread presents the same
// objects, as on air: a scrolling looping text, a roll and a timer that
// changes every frame.
#include "TextPlayout.h"

#include "content/FramePlayer.h"
#include "content/FrameTextLayout.h"
#include "content/RichEditTextRenderer.h"
#include "model/Frame.h"
#include "playback/FrameTextSource.h"
#include "support/MemoryTextureDevice.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

TEST(FrameTextRenderThreads, TextThreadAndRenderThreadShareObjects)
{
    std::vector<std::unique_ptr<CFrame>> objects;
    auto add = [&](int movement, const CRect& rect) -> CFrame& {
        objects.push_back(std::make_unique<CFrame>());
        CFrame& o = *objects.back();
        o.framePeriod = TextPlayout::kFramePeriod;
        o.rect = rect;
        o.movement = movement;
        o.speed = kSpeedFast;
        return o;
    };
    CFrame& ticker = add(kMovementScroll, CRect{0, 0, 300, 40});
    ticker.richText = RtfOfParagraphs({QStringLiteral("Markets close higher as the storm moves east; more at six.")});
    ticker.loop = 1;
    ticker.startFromEdge = 1;
    CFrame& roll = add(kMovementRoll, CRect{0, 0, 240, 100});
    QStringList lines;
    for (int i = 0; i < 120; ++i)
        lines << QStringLiteral("Credit line %1").arg(i);
    roll.richText = RtfOfParagraphs(lines);
    roll.loop = 1;
    CFrame& timer = add(kMovementFixed, CRect{0, 0, 200, 60});
    timer.textSource = kSourceTimer;
    timer.timerFormat = QStringLiteral("%M:%S.%h");
    CFrameTextSource(timer).BuildDefaultText();
    // Repeating objects start over every 0.2 s while the text thread may be
    // laying out their text.
    CFrame& repeatingTimer = add(kMovementFixed, CRect{0, 0, 200, 60});
    repeatingTimer.textSource = kSourceTimer;
    repeatingTimer.timerFormat = QStringLiteral("%S.%h");
    CFrameTextSource(repeatingTimer).BuildDefaultText();
    CFrame& repeatingRoll = add(kMovementRoll, CRect{0, 0, 240, 100});
    repeatingRoll.richText = roll.richText;
    repeatingRoll.startFromEdge = 1;
    for (CFrame* o : {&repeatingTimer, &repeatingRoll}) {
        o->showIndefinitely = 0;
        o->showFor = 200;
        o->repeat = 1;
    }
    for (auto& o : objects)
        CFramePlayer(*o).Play();

    std::atomic<int> stop{0};
    std::thread textThread([&] {
        CRichEditTextRenderer renderer;
        while (!stop.load()) {
            int work = 0;
            for (auto& o : objects)
                work |= CFrameTextLayout(*o).InvokeRender(renderer);
            if (!work)
                std::this_thread::yield();
        }
    });

    CMemoryTextureDevice device;
    PresentResult result;
    int timerWrites = 0;
    // At least 600 frames, and on until the text thread (slow under the
    // thread sanitizer) has had the time to do its part.
    auto enough = [&] { return ticker.scrollPosition > 0 && roll.scrollPosition > 0 && timerWrites > 3; };
    for (int frame = 0; frame < 20000 && (frame < 600 || !enough()); ++frame) {
        for (auto& o : objects) {
            const int countdown = o->sourceCheckCountdown.load();
            if (countdown > 0 && o->sourceCheckCountdown.fetch_sub(1) == 1)
                o->sourceCheckDue.exchange(1);
            ASSERT_EQ(o->EnterRender(), 1);
            const int presented = CFramePlayer(*o).PresentFrame(result, &device, TextPlayout::kFramePeriod);
            o->LeaveRender();
            ASSERT_EQ(presented, 1);
        }
        if (auto* texture = dynamic_cast<const CMemoryTexture*>(timer.textTexture.get()))
            timerWrites = texture->writes;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    stop.store(1);
    textThread.join();

    EXPECT_GT(ticker.scrollPosition, 0);
    EXPECT_GT(roll.scrollPosition, 0);
    EXPECT_GT(timerWrites, 3) << "the timer's text was uploaded again and again";
    EXPECT_EQ(repeatingTimer.playing.load(), 1);
    EXPECT_EQ(repeatingRoll.playing.load(), 1);
    for (auto& o : objects)
        o->StopOutput();
}

// The render thread hands a used text chunk back while the text thread may
// look at the object at any moment. A spy thread looks as often as it can:
// once a chunk is uploaded it must never find the object asking for the
// next chunk before its time. A fixed CSV object would show the next row in
// the middle of a presentation; a looping one-chunk ticker's chunk, written
// again from its start at each turn, would be laid out anew under the
// render thread.
TEST(FrameTextRenderThreads, UsedChunkIsHandedBackWhole)
{
    struct Case
    {
        const char* name;
        int movement;
        int source;
    };
    const Case cases[] = {{"fixed CSV rows", kMovementFixed, kSourceCsvFile},
                          {"looping one-chunk ticker", kMovementScroll, kSourceObjectText}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextPlayout playout;
        CFrame& object = playout.object;
        object.textSource = c.source;
        if (c.source == kSourceCsvFile) {
            QByteArray rows = "Name;Score\n";
            for (int i = 0; i < 50; ++i)
                rows += "Player " + QByteArray::number(i) + ";" + QByteArray::number(i * 3) + "\n";
            object.fileName = playout.WriteFile("rows.csv", rows);
            object.firstLineIsHeader = 1;
            object.richText = RtfOfParagraphs({QStringLiteral("%Name%: %Score%")});
            // Every presentation shows the next row.
            object.showIndefinitely = 0;
            object.showFor = 3 * TextPlayout::kFramePeriod / 1000;
            object.repeat = 1;
        } else {
            object.richText = RtfOfParagraphs({QStringLiteral("Go")});
            object.loop = 1;
            object.speed = kSpeedFast;
        }
        playout.Play(CRect{0, 0, 200, 40}, c.movement);

        // Odd while the presentation's chunk is uploaded and not yet due
        // again: from the text texture's first write to the next restart.
        std::atomic<int> phase{0};
        class CSpiedDevice final : public CMemoryTextureDevice
        {
        public:
            CSpiedDevice(const CFrame& object, std::atomic<int>& phase) : object_(object), phase_(phase) {}
            int WriteTexture(IObjectTexture& texture, const CRect& rect, const uint32_t* texels, int pitch) override
            {
                if (&texture == object_.textTexture.get() && phase_.load() % 2 == 0)
                    phase_.fetch_add(1);
                return CMemoryTextureDevice::WriteTexture(texture, rect, texels, pitch);
            }

        private:
            const CFrame& object_;
            std::atomic<int>& phase_;
        } device(object, phase);

        // What the text thread must not find while the phase is odd.
        auto asksForMore = [&] {
            return c.movement == kMovementFixed ? object.chunkReady.load() == 0 && object.noMoreChunks.load() == 0
                                                : object.chunkReady.load() == 0;
        };
        std::atomic<int> stop{0};
        std::atomic<long long> looks{0};
        std::atomic<int> seen{0};
        std::atomic<int> spying{0};
        std::thread spy([&] {
            spying.store(1);
            long long n = 0;
            while (!stop.load(std::memory_order_relaxed)) {
                const int before = phase.load();
                const bool more = asksForMore();
                if (before % 2 == 1 && more && phase.load() == before)
                    seen.fetch_add(1);
                ++n;
            }
            looks.store(n);
        });

        while (!spying.load())
            std::this_thread::yield();
        int presentations = 0;
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
        while (std::chrono::steady_clock::now() < until) {
            playout.TextThread();
            const int end = object.endTime.load();
            if (end != 0 && object.elapsed.load() >= end) {
                // The object starts over in this frame: its next chunk is due.
                if (phase.load() % 2 == 1)
                    phase.fetch_add(1);
                ++presentations;
            }
            ASSERT_EQ(object.EnterRender(), 1);
            const int presented = CFramePlayer(object).PresentFrame(playout.result, &device, TextPlayout::kFramePeriod);
            object.LeaveRender();
            ASSERT_EQ(presented, 1);
        }
        stop.store(1);
        spy.join();
        object.StopOutput();
        EXPECT_GT(phase.load(), 0) << "text was uploaded";
        EXPECT_GT(looks.load(), 0);
        EXPECT_EQ(seen.load(), 0) << "times the text thread could have taken a used chunk for a free one ("
                                  << presentations << " presentations)";
    }
}
