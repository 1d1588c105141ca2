// The script and automation editors' rules without a window.
#include "scripts/ScriptEditing.h"

#include <QDateTime>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

CFrameScriptItem Step(int type, const char* sdata = "", int idata = 0)
{
    CFrameScriptItem item;
    item.type = type;
    item.sdata = QString::fromUtf8(sdata);
    item.idata = idata;
    return item;
}

TEST(ScriptEditing, NewStepsRowsAndTheTimeColumn)
{
    EXPECT_EQ(NewScriptStep(CFrameScriptItem::kWaitPeriod).idata, 10);
    EXPECT_EQ(NewScriptStep(CFrameScriptItem::kWaitUntil).idata, 43200);
    EXPECT_EQ(NewScriptStep(CFrameScriptItem::kPlay).idata, 0);
    EXPECT_TRUE(NewScriptStep(CFrameScriptItem::kPlay).sdata.isEmpty());

    CFrameScript script;
    script.Append(Step(CFrameScriptItem::kWaitPeriod, "", 5));
    script.Append(Step(CFrameScriptItem::kPlay));
    script.Append(Step(CFrameScriptItem::kWaitPeriod, "", 70));
    script.Append(Step(CFrameScriptItem::kStop));
    script.Append(Step(CFrameScriptItem::kWaitPeriod, "", 3600));
    script.Append(Step(CFrameScriptItem::kEnd));
    EXPECT_EQ(ScriptTimeColumn(script),
              (std::vector<QString>{QString(), QStringLiteral("0:05"), QString(), QStringLiteral("1:15"), QString(),
                                    QStringLiteral("1:01:15")}));
    EXPECT_TRUE(ScriptStepText(1, script.items[1]).startsWith(QStringLiteral(" 2. ")));
}

TEST(ScriptEditing, EditsMoveTheSelectionAndMarkTheScriptModified)
{
    CFrameScript script;
    CScriptEditModel model(script);
    EXPECT_FALSE(model.CanSave());
    EXPECT_FALSE(model.CanEdit());
    model.SetLoop(true);  // no steps: not a change worth a warning
    EXPECT_FALSE(model.Modified());

    struct Edit
    {
        const char* what;
        std::function<void()> run;
        std::vector<int> types;  // of the steps afterwards
        int selected;
    };
    const Edit edits[] = {
        {"add play", [&] { model.AddStep(Step(CFrameScriptItem::kPlay)); }, {2}, 0},
        {"add pause", [&] { model.AddStep(NewScriptStep(CFrameScriptItem::kWaitPeriod)); }, {2, 8}, 1},
        {"add stop", [&] { model.AddStep(Step(CFrameScriptItem::kStop)); }, {2, 8, 5}, 2},
        {"up", [&] { model.MoveSelectedUp(); }, {2, 5, 8}, 1},
        {"up again", [&] { model.MoveSelectedUp(); }, {5, 2, 8}, 0},
        {"up at the top", [&] { model.MoveSelectedUp(); }, {5, 2, 8}, 0},
        {"down", [&] { model.MoveSelectedDown(); }, {2, 5, 8}, 1},
        {"select the last, delete", [&] { model.Select(2); model.DeleteSelected(); }, {2, 5}, 1},
    };
    for (const Edit& e : edits) {
        e.run();
        std::vector<int> types;
        for (const CFrameScriptItem& item : script.items)
            types.push_back(item.type);
        EXPECT_EQ(types, e.types) << e.what;
        EXPECT_EQ(model.Selected(), e.selected) << e.what;
        EXPECT_TRUE(model.Modified()) << e.what;
    }
    EXPECT_FALSE(model.CanMoveDown());
    EXPECT_TRUE(model.CanMoveUp());
    model.Select(0);
    EXPECT_TRUE(model.EditSelected(QStringLiteral("News"), 0));
    EXPECT_EQ(script.items[0].sdata, QStringLiteral("News"));

    // Save clears the mark, and the file reads back as the editor made it.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Morning.script"));
    model.SetLoop(false);
    ASSERT_TRUE(model.Save(path));
    EXPECT_FALSE(model.Modified());
    CFrameScript read;
    ASSERT_TRUE(read.LoadFile(path));
    EXPECT_EQ(read.items, script.items);
    EXPECT_EQ(read.loop, 0);
    // A change of the loop box with steps is a change.
    model.SetLoop(true);
    EXPECT_TRUE(model.Modified());
    // Load: no selection, not modified.
    EXPECT_TRUE(model.Load(path));
    EXPECT_EQ(model.Selected(), -1);
    EXPECT_FALSE(model.Modified());
    model.Clear();
    EXPECT_EQ(script.Count(), 0);
    EXPECT_TRUE(script.fileName.isEmpty());
}

TEST(AutomationEditing, TriggerTextsIconsAndTheStartupRow)
{
    const ScheduleTime created = ScheduleTime::FromDateTime(QDateTime(QDate(2026, 12, 11), QTime(8, 5, 9)));
    CFrameScriptSchedule daily(created);
    daily.playOnTime = 1;
    daily.weekdays = 0b0010101;  // Monday, Wednesday, Friday
    daily.hotkey = 2;
    CFrameScriptSchedule once(created);
    once.playOnTime = 1;
    once.playOnce = 1;
    CFrameScriptSchedule key(created);
    key.hotkey = 11;
    key.remote = 5;  // kept, never shown
    CFrameScriptSchedule none(created);

    struct Case
    {
        const CFrameScriptSchedule* entry;
        int index;
        const char* text;
        TriggerIcon icon;
    };
    CFrameScriptSchedule startup(created);
    startup.file = QStringLiteral("/pages/Opening.script");
    const Case cases[] = {
        {&daily, 1, "[08:05:09][1-3-5--], [Ctrl+1]", TriggerIcon::Time},
        {&once, 2, "[08:05:09][11.12.2026]", TriggerIcon::Time},
        {&key, 3, "[Alt+0]", TriggerIcon::Hotkey},
        {&none, 4, "", TriggerIcon::None},
        {&startup, 0, "on startup", TriggerIcon::Startup},
        {&none, 0, "on startup", TriggerIcon::None},
    };
    for (const Case& c : cases) {
        TriggerIcon icon = TriggerIcon::Startup;
        EXPECT_EQ(AutomationTriggerText(*c.entry, c.index, &icon), QString::fromUtf8(c.text)) << c.text;
        EXPECT_EQ(icon, c.icon) << c.text;
    }

    // The copy: the start-up row loses only its script; OK is the caller's.
    CFrameScriptScheduleArray list;
    list.At(0).file = QStringLiteral("/pages/Opening.script");
    CAutomationEditModel model(list);
    ASSERT_TRUE(model.AddEntry(daily));
    EXPECT_EQ(model.Selected(), 1);
    model.Select(0);
    model.DeleteSelected();
    EXPECT_EQ(model.List().Count(), 2);
    EXPECT_TRUE(model.List().At(0).file.isEmpty());
    model.Select(1);
    model.DeleteSelected();
    EXPECT_EQ(model.List().Count(), 1);
    EXPECT_EQ(model.Selected(), 0);
    EXPECT_EQ(list.At(0).file, QStringLiteral("/pages/Opening.script"));  // the document's list as it was
}

TEST(AutomationEditing, EditsAndTheButtons)
{
    const ScheduleTime created = ScheduleTime::FromDateTime(QDateTime(QDate(2026, 12, 11), QTime(8, 5, 9)));
    CFrameScriptScheduleArray list;
    CFrameScriptSchedule stored(created);  // start-up triggers left in the settings by hand
    stored.hotkey = 4;
    list.At(0) = stored;
    CAutomationEditModel model(list);
    EXPECT_TRUE(model.CanAdd());
    EXPECT_FALSE(model.CanEdit());
    EXPECT_FALSE(model.CanDelete());

    CFrameScriptSchedule edited(created);
    edited.file = QStringLiteral("/pages/Opening.script");
    edited.playOnTime = 1;
    edited.hotkey = 7;
    model.EditSelected(edited);  // nothing selected: nothing happens
    EXPECT_EQ(model.List(), list);

    model.Select(0);
    EXPECT_TRUE(model.CanEdit());
    EXPECT_TRUE(model.CanDelete());
    model.EditSelected(edited);
    EXPECT_EQ(model.List().At(0).file, edited.file);
    EXPECT_EQ(model.List().At(0).hotkey, 4) << "the start-up row takes only the file";
    EXPECT_EQ(model.List().At(0).playOnTime, 0);

    ASSERT_TRUE(model.AddEntry(CFrameScriptSchedule(created)));
    edited.remote = 3;
    model.EditSelected(edited);
    EXPECT_EQ(model.List().At(1), edited);

    // A full list offers no Add.
    while (model.List().Count() < CFrameScriptScheduleArray::kMaxEntries)
        ASSERT_TRUE(model.AddEntry(edited));
    EXPECT_FALSE(model.CanAdd());
    EXPECT_FALSE(model.AddEntry(edited));
}

}  // namespace
