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
