#include "content/FramePlayer.h"
#include "content/PagePlayback.h"
#include "model/FrameSet.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A page of five objects with the output on: groups "news", "news", "News",
// none, "weather"; hotkey 3 on the first and the fourth.
class PagePlayback : public testing::Test
{
protected:
    PagePlayback()
    {
        const char* groups[] = {"news", "news", "News", "", "weather"};
        for (const char* group : groups) {
            auto object = std::make_unique<CFrame>();
            object->framePeriod = 20000;
            object->group = QString::fromLatin1(group);
            o.push_back(object.get());
            page.AddObject(object);
        }
        o[0]->hotkey = 3;
        o[3]->hotkey = 3;
        page.outputActive.store(1);
    }

    std::vector<int> Playing() const
    {
        std::vector<int> playing;
        for (const CFrame* object : o)
            playing.push_back(object->playing.load());
        return playing;
    }

    CFrameSet page;
    std::vector<CFrame*> o;
};

TEST_F(PagePlayback, NothingHappensWhileTheOutputIsOff)
{
    page.outputActive.store(0);
    EXPECT_EQ(CPagePlayback(page).PlayAllObjects(), 0);
    EXPECT_EQ(CPagePlayback(page).PlayAllObjectsExcept({}), 0);
    EXPECT_EQ(CPagePlayback(page).PlayGroup(QStringLiteral("news"), nullptr), 0);
    EXPECT_EQ(CPagePlayback(page).TogglePlayEnd(o[0]), 0);
    EXPECT_EQ(CPagePlayback(page).PlayOrEndByHotkey(3), 0);
    EXPECT_EQ(Playing(), (std::vector<int>{0, 0, 0, 0, 0}));

    CFramePlayer(*o[1]).Play();
    EXPECT_EQ(CPagePlayback(page).PauseAllObjects(), 0);
    EXPECT_EQ(CPagePlayback(page).EndAllObjects(), 0);
    EXPECT_EQ(CPagePlayback(page).StopAllObjects(), 0);
    EXPECT_EQ(CPagePlayback(page).PauseGroup(QStringLiteral("news"), nullptr), 0);
    EXPECT_EQ(CPagePlayback(page).EndGroup(QStringLiteral("news"), nullptr), 0);
    EXPECT_EQ(CPagePlayback(page).StopGroup(QStringLiteral("news"), nullptr), 0);
    EXPECT_EQ(o[1]->playing.load(), 1);
    EXPECT_EQ(o[1]->paused.load(), 0);
    EXPECT_EQ(o[1]->ending.load(), 0);
}

TEST_F(PagePlayback, WholePage)
{
    EXPECT_EQ(CPagePlayback(page).PlayAllObjects(), 1);
    EXPECT_EQ(Playing(), (std::vector<int>{1, 1, 1, 1, 1}));
    EXPECT_EQ(CPagePlayback(page).PlayAllObjects(), 0) << "all were playing already";

    EXPECT_EQ(CPagePlayback(page).PauseAllObjects(), 1);
    for (const CFrame* object : o)
        EXPECT_EQ(object->paused.load(), 1);
    EXPECT_EQ(CPagePlayback(page).EndAllObjects(), 1) << "ending resumes paused objects";
    for (const CFrame* object : o) {
        EXPECT_EQ(object->paused.load(), 0);
        EXPECT_EQ(object->ending.load(), 1);
    }
    EXPECT_EQ(CPagePlayback(page).EndAllObjects(), 0);

    EXPECT_EQ(CPagePlayback(page).StopAllObjects(), 1);
    EXPECT_EQ(Playing(), (std::vector<int>{0, 0, 0, 0, 0}));
    EXPECT_EQ(CPagePlayback(page).StopAllObjects(), 0);
    EXPECT_EQ(CPagePlayback(page).PauseAllObjects(), 0) << "nothing plays";

    EXPECT_EQ(CPagePlayback(page).PlayAllObjectsExcept({o[1], o[4]}), 1);
    EXPECT_EQ(Playing(), (std::vector<int>{1, 0, 1, 1, 0}));
}

TEST_F(PagePlayback, GroupsMatchExactly)
{
    EXPECT_EQ(CPagePlayback(page).PlayGroup(QStringLiteral("news"), o[0]), 1);
    EXPECT_EQ(Playing(), (std::vector<int>{0, 1, 0, 0, 0})) << "not the one left out, not \"News\"";
    EXPECT_EQ(CPagePlayback(page).PlayGroup(QString(), nullptr), 0) << "no group";
    EXPECT_EQ(Playing(), (std::vector<int>{0, 1, 0, 0, 0}));

    CPagePlayback(page).PlayGroup(QStringLiteral("news"), nullptr);
    EXPECT_EQ(CPagePlayback(page).PauseGroup(QStringLiteral("news"), nullptr), 1);
    EXPECT_EQ(o[0]->paused.load() + o[1]->paused.load(), 2);
    EXPECT_EQ(CPagePlayback(page).EndGroup(QStringLiteral("news"), o[1]), 1);
    EXPECT_EQ(o[0]->ending.load(), 1);
    EXPECT_EQ(o[1]->ending.load(), 0);
    EXPECT_EQ(CPagePlayback(page).StopGroup(QStringLiteral("news"), nullptr), 1);
    EXPECT_EQ(Playing(), (std::vector<int>{0, 0, 0, 0, 0}));
}

TEST_F(PagePlayback, TogglePlayEndTakesTheGroupAlong)
{
    EXPECT_EQ(CPagePlayback(page).TogglePlayEnd(o[1]), 1);
    EXPECT_EQ(Playing(), (std::vector<int>{1, 1, 0, 0, 0}));
    CPagePlayback(page).TogglePlayEnd(o[1]);
    EXPECT_EQ(o[0]->ending.load(), 1);
    EXPECT_EQ(o[1]->ending.load(), 1);
    EXPECT_EQ(o[2]->ending.load(), 0);

    EXPECT_EQ(CPagePlayback(page).TogglePlayEnd(o[3]), 1) << "an object without a group plays alone";
    EXPECT_EQ(Playing(), (std::vector<int>{1, 1, 0, 1, 0}));

    page.RemoveObject(o[4]);
    EXPECT_EQ(CPagePlayback(page).TogglePlayEnd(o[4]), 0) << "a removed object is left alone";
}

TEST_F(PagePlayback, HotkeyEndsWhenAnyPlaysElseStartsAll)
{
    EXPECT_EQ(CPagePlayback(page).PlayOrEndByHotkey(3), 1);
    EXPECT_EQ(Playing(), (std::vector<int>{1, 0, 0, 1, 0}));
    EXPECT_EQ(CPagePlayback(page).PlayOrEndByHotkey(3), 0) << "End reports only resumed objects";
    EXPECT_EQ(o[0]->ending.load() + o[3]->ending.load(), 2);

    CPagePlayback(page).StopAllObjects();
    CFramePlayer(*o[3]).Play();
    CPagePlayback(page).PlayOrEndByHotkey(3);
    EXPECT_EQ(o[3]->ending.load(), 1) << "the playing one is ended";
    EXPECT_EQ(o[0]->playing.load(), 0) << "and the other is not started";

    EXPECT_EQ(CPagePlayback(page).PlayOrEndByHotkey(0), 0) << "0 is no hotkey";
    EXPECT_EQ(CPagePlayback(page).PlayOrEndByHotkey(7), 0);
    EXPECT_EQ(o[1]->playing.load(), 0);
}

}  // namespace
