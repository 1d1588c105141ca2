// The navigator's rows without a window: what the columns show of an
// object, and that a refresh reports only the rows that changed.
#include "document/ObjectNavigator.h"

#include "model/Frame.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

QByteArray Rtf(const char* text)
{
    return QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs56 ") + text + "\\par}";
}

TEST(ObjectNavigator, ColumnsShowShortTextsAndGroups)
{
    EXPECT_EQ(NavigatorShortText(QStringLiteral("Breaking news from the city hall")),
              QStringLiteral("Breaking news from t..."));
    EXPECT_EQ(NavigatorShortText(QStringLiteral("Exactly twenty chars")), QStringLiteral("Exactly twenty chars"));
    EXPECT_EQ(NavigatorShortText(QStringLiteral("two\rlines")), QStringLiteral("two lines"));
    EXPECT_EQ(NavigatorGroupText(QString(50, QChar(u'g'))).size(), 47);
    EXPECT_EQ(NavigatorDefaultWidth(kColumnText), 128);
}

TEST(ObjectNavigator, RefreshReportsChangedRowsAndTheArrayOnlyGrows)
{
    std::vector<std::unique_ptr<CFrame>> owned;
    FrameList objects;
    for (int i = 0; i < 3; ++i) {
        owned.push_back(std::make_unique<CFrame>());
        objects.push_back(owned.back().get());
    }
    owned[0]->richText = Rtf("A thirty character long text..");
    owned[1]->group = QStringLiteral("News");
    owned[2]->locked = 1;

    CObjectItemArray rows;
    EXPECT_EQ(rows.Refresh(objects), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(rows.Row(0).text, QStringLiteral("A thirty character l..."));
    EXPECT_EQ(rows.Row(1).group, QStringLiteral("News"));
    EXPECT_EQ(rows.Row(2).locked, 1);
    EXPECT_TRUE(rows.Refresh(objects).empty());  // nothing changed: nothing repaints

    struct Step
    {
        const char* what;
        std::function<void()> change;
        std::vector<int> changed;
    };
    const Step steps[] = {
        {"play", [&] { owned[1]->playing = 1; }, {1}},
        {"pause", [&] { owned[1]->playing = 0; owned[1]->paused = 1; }, {1}},
        {"unlock", [&] { owned[2]->locked = 0; }, {2}},
        {"new text", [&] { owned[0]->richText = Rtf("Short"); }, {0}},
        {"reorder", [&] { std::swap(objects[0], objects[2]); }, {0, 2}},
    };
    for (const Step& step : steps) {
        step.change();
        EXPECT_EQ(rows.Refresh(objects), step.changed) << step.what;
    }
    EXPECT_EQ(rows.Row(2).text, QStringLiteral("Short"));
    EXPECT_EQ(rows.Row(1).paused, 1);

    // Fewer objects: fewer rows shown, the array keeps its size.
    objects.pop_back();
    EXPECT_TRUE(rows.Refresh(objects).empty());
    EXPECT_EQ(rows.Count(), 2);
    EXPECT_EQ(rows.Capacity(), 3u);
    // One comes back: its row is new again.
    objects.push_back(owned[0].get());
    EXPECT_EQ(rows.Refresh(objects), std::vector<int>{2});
}

}  // namespace
