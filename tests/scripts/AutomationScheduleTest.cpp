#include "scripts/FrameScriptScheduleArray.h"

#include "QtPrinters.h"
#include "TestEnvironment.h"

#include "app/MemorySettingsStore.h"
#include "app/QSettingsStore.h"

#include <QDate>
#include <QFile>
#include <QSettings>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// Local time on a virtual clock, built field by field so that the tests do
// not depend on the machine's time zone.
ScheduleTime At(QDate date, int hour, int minute, int second, int millisecond = 0)
{
    ScheduleTime t;
    t.year = date.year();
    t.month = date.month();
    t.day = date.day();
    t.dayOfWeek = date.dayOfWeek() % 7;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    t.millisecond = millisecond;
    return t;
}

// 2026-03-01 is a Sunday.
const QDate kSunday(2026, 3, 1);
const QDate kMonday = kSunday.addDays(1);
const QDate kSaturday = kSunday.addDays(6);

enum Weekday { kMon = 1, kTue = 2, kWed = 4, kThu = 8, kFri = 16, kSat = 32, kSun = 64 };

CFrameScriptSchedule Daily(int weekdays, int hour, int minute, int second, QString file = QStringLiteral("/s.script"))
{
    CFrameScriptSchedule entry(At(kSunday, hour, minute, second));
    entry.file = std::move(file);
    entry.playOnTime = 1;
    entry.weekdays = weekdays;
    return entry;
}

CFrameScriptSchedule Once(QDate date, int hour, int minute, int second)
{
    CFrameScriptSchedule entry(At(date, hour, minute, second));
    entry.file = QStringLiteral("/once.script");
    entry.playOnTime = 1;
    entry.playOnce = 1;
    entry.weekdays = 0;
    return entry;
}

struct Firing
{
    QDate date;
    int millisecondOfDay;
    int index;
    friend bool operator==(const Firing&, const Firing&) = default;
    friend void PrintTo(const Firing& f, std::ostream* out)
    {
        *out << f.date.toString(Qt::ISODate).toStdString() << " +" << f.millisecondOfDay << " ms: " << f.index;
    }
};

// Runs the time triggers on 200 ms ticks from (date, first ms of day) for
// count ticks, as the interface timer does, and lists what they start.
std::vector<Firing> RunTicks(const CFrameScriptScheduleArray& list, QDate date, int firstMs, long count,
                             int& lastScheduleSecond, int tickMs = 200)
{
    std::vector<Firing> firings;
    int ms = firstMs;
    for (long i = 0; i < count; ++i, ms += tickMs) {
        if (ms >= 86400000) {
            ms -= 86400000;
            date = date.addDays(1);
        }
        const int index = list.CheckTimeTriggers(
            At(date, ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000), lastScheduleSecond);
        if (index >= 0)
            firings.push_back({date, ms, index});
    }
    return firings;
}

int Ms(int hour, int minute, int second, int millisecond = 0)
{
    return ((hour * 60 + minute) * 60 + second) * 1000 + millisecond;
}

TEST(AutomationTriggers, DailyEntriesFireOnceOnTheirWeekdaysAcrossMidnight)
{
    CFrameScriptScheduleArray list;
    list.Add(Daily(kMon, 0, 0, 0));           // 1: Monday midnight
    list.Add(Daily(kSun, 0, 0, 0));           // 2: Sunday midnight, already past at the start
    list.Add(Daily(kSun, 23, 59, 59));        // 3: last second of Sunday
    list.Add(Daily(kSat | kSun, 7, 30, 0));   // 4: weekends only
    list.Add(Daily(kMon | kTue | kWed | kThu | kFri | kSat | kSun, 12, 0, 0));  // 5: every day

    int last = -1;
    // From Sunday 23:59:58.0 through Monday 00:00:02.0.
    EXPECT_EQ(RunTicks(list, kSunday, Ms(23, 59, 58), 21, last),
              (std::vector<Firing>{{kSunday, Ms(23, 59, 59), 3}, {kMonday, 0, 1}}));

    // A whole week from Monday 00:00:02.2, tick by tick.
    const std::vector<Firing> week = RunTicks(list, kMonday, Ms(0, 0, 2, 200), 7L * 24 * 3600 * 5, last);
    std::vector<Firing> expected;
    for (int day = 0; day < 7; ++day) {
        const QDate date = kMonday.addDays(day);
        if (date.dayOfWeek() == 7)
            expected.push_back({date, 0, 2});
        if (date.dayOfWeek() >= 6)
            expected.push_back({date, Ms(7, 30, 0), 4});
        expected.push_back({date, Ms(12, 0, 0), 5});
        if (date.dayOfWeek() == 7)
            expected.push_back({date, Ms(23, 59, 59), 3});
    }
    expected.push_back({kMonday.addDays(7), 0, 1});
    EXPECT_EQ(week, expected);
}

TEST(AutomationTriggers, OnceOnlyEntriesFireOnlyOnTheirDate)
{
    const QDate date(2026, 12, 31);
    CFrameScriptScheduleArray list;
    list.Add(Once(date, 23, 59, 59));
    list.Add(Once(QDate(2027, 1, 1), 0, 0, 0));

    for (const QDate day : {date.addDays(-1), date, date.addDays(1), date.addYears(1), QDate(2026, 1, 31),
                            QDate(2026, 12, 30)}) {
        SCOPED_TRACE(day.toString(Qt::ISODate).toStdString());
        const bool due = day == date;
        EXPECT_EQ(list.FindTimeTrigger(At(day, 23, 59, 59)), due ? 1 : -1);
    }
    int last = -1;
    EXPECT_EQ(RunTicks(list, date, Ms(23, 59, 58), 15, last),
              (std::vector<Firing>{{date, Ms(23, 59, 59), 1}, {QDate(2027, 1, 1), 0, 2}}));
    // The weekday set plays no part in a once-only entry, and a daily entry
    // ignores the date it was made on.
    list.At(1).weekdays = 127;
    EXPECT_EQ(list.FindTimeTrigger(At(date.addDays(7), 23, 59, 59)), -1);
    list.At(1).playOnce = 0;
    EXPECT_EQ(list.FindTimeTrigger(At(date.addDays(7), 23, 59, 59)), 1);
}

TEST(AutomationTriggers, LowestIndexWinsAndOnlyTriggeredEntriesCount)
{
    CFrameScriptScheduleArray list;
    list.At(0) = Daily(127, 8, 0, 0, QStringLiteral("/startup.script"));  // never examined
    list.Add(Daily(kSat | kSun, 8, 0, 0));  // 1: not on a Monday
    list.Add(Daily(127, 8, 0, 0));          // 2
    list.Add(Daily(127, 8, 0, 0));          // 3
    const ScheduleTime eight = At(kMonday, 8, 0, 0, 600);
    EXPECT_EQ(list.FindTimeTrigger(eight), 2);
    list.At(2).playOnTime = 0;
    EXPECT_EQ(list.FindTimeTrigger(eight), 3);
    EXPECT_EQ(list.FindTimeTrigger(At(kSunday, 8, 0, 0)), 1);
    EXPECT_EQ(list.FindTimeTrigger(At(kMonday, 8, 0, 1)), -1);
    // An entry with an empty file still matches; starting it does nothing.
    list.At(1).file.clear();
    EXPECT_EQ(list.FindTimeTrigger(At(kSunday, 8, 0, 0)), 1);
}

TEST(AutomationTriggers, EachSecondIsExaminedOnceAndAMissedSecondIsLost)
{
    CFrameScriptScheduleArray list;
    list.Add(Daily(127, 8, 0, 0));
    int last = -1;
    // Five ticks within the trigger's second act once.
    EXPECT_EQ(RunTicks(list, kMonday, Ms(8, 0, 0), 5, last).size(), 1u);
    EXPECT_EQ(last, 8 * 3600);
    // The user-interface thread blocked from 07:59:59.9 to 08:00:01.1: never fires.
    last = -1;
    EXPECT_TRUE(RunTicks(list, kMonday, Ms(7, 59, 59, 900), 2, last, 1200).empty());
    // The first tick after construction examines its second, whatever it is.
    last = -1;
    EXPECT_EQ(list.CheckTimeTriggers(At(kMonday, 8, 0, 0, 999), last), 1);
    // A tick that sees the same second of the day on the next day (nothing
    // in between) is taken as the same second.
    EXPECT_EQ(list.CheckTimeTriggers(At(kMonday.addDays(1), 8, 0, 0), last), -1);
}

TEST(AutomationHotkeys, LookupsAndSystemRegistrations)
{
    CFrameScriptScheduleArray list;
    list.At(0).hotkey = 5;  // the start-up entry has no triggers
    list.At(0).global = 1;
    const auto add = [&list](int hotkey, int global) {
        CFrameScriptSchedule entry(At(kMonday, 0, 0, 0));
        entry.hotkey = hotkey;
        entry.global = global;
        list.Add(entry);
    };
    add(11, 1);  // 1: Alt+0, global
    add(1, 1);   // 2: Ctrl+0, global
    add(20, 1);  // 3: Alt+9, global
    add(5, 0);   // 4: Ctrl+4, local
    add(5, 1);   // 5: Ctrl+4 again
    add(0, 1);   // 6: no hotkey

    EXPECT_EQ(list.FindHotkey(5), 4);
    EXPECT_EQ(list.FindHotkey(11), 1);
    EXPECT_EQ(list.FindHotkey(12), -1);
    EXPECT_EQ(list.FindHotkey(0), -1);
    EXPECT_EQ(list.GlobalHotkeys(), (std::vector<GlobalHotkeyRegistration>{
                                        {1, 11, {true, 0}}, {2, 1, {false, 0}}, {3, 20, {true, 9}}, {5, 5, {false, 4}}}));
    EXPECT_EQ(list.HotkeyEntryIds(), (std::vector<int>{1, 2, 3, 4, 5}));

    const QStringList names = HotkeyNames();
    ASSERT_EQ(names.size(), 21);
    EXPECT_EQ(names[0], QStringLiteral("None"));
    EXPECT_EQ(names[1], QStringLiteral("Ctrl+0"));
    EXPECT_EQ(names[10], QStringLiteral("Ctrl+9"));
    EXPECT_EQ(names[11], QStringLiteral("Alt+0"));
    EXPECT_EQ(names[20], QStringLiteral("Alt+9"));
    const QStringList buttons = ButtonNames();
    ASSERT_EQ(buttons.size(), 17);
    EXPECT_EQ(buttons[0], QStringLiteral("None"));
    EXPECT_EQ(buttons[16], QStringLiteral("Button #16"));
}

TEST(AutomationList, StartupEntryIsAlwaysThere)
{
    CFrameScriptScheduleArray list;
    list.Add(Daily(127, 1, 0, 0));
    EXPECT_FALSE(list.Remove(0));
    EXPECT_FALSE(list.Remove(2));
    EXPECT_TRUE(list.Remove(1));
    EXPECT_EQ(list.Count(), 1);

    // Nothing stored: exactly one default start-up entry.
    CMemorySettingsStore empty;
    list.LoadFromSettings(empty);
    ASSERT_EQ(list.Count(), 1);
    const CFrameScriptSchedule& startup = list.At(0);
    EXPECT_TRUE(startup.file.isEmpty());
    EXPECT_EQ(startup.hotkey, 0);
    EXPECT_EQ(startup.playOnTime, 0);
    EXPECT_EQ(startup.weekdays, 127);
}

class AutomationSettings : public ::testing::Test
{
protected:
    void SetUp() override { QFile::remove(store_.FileName()); }
    void TearDown() override { QFile::remove(store_.FileName()); }
    CQSettingsStore store_;  // the program's own settings file in the test's config folder
};

TEST_F(AutomationSettings, ListRoundTripsThroughTheSettingsFile)
{
    CFrameScriptScheduleArray list;
    list.At(0).file = QStringLiteral("/srv/show/Start, Morgen.script");
    CFrameScriptSchedule daily = Daily(kMon | kFri, 7, 30, 15, QStringLiteral("/srv/show/Nachrichten Ä.script"));
    daily.hotkey = 12;
    daily.global = 1;
    daily.remote = 16;
    list.Add(daily);
    list.Add(Once(QDate(2026, 12, 31), 23, 59, 59));
    list.SaveToSettings(store_);

    // One INI group per entry, with the program's value names.
    QSettings ini(store_.FileName(), QSettings::IniFormat);
    EXPECT_EQ(store_.FileName(), testenv::ConfigHome() + QStringLiteral("/Quellmark/Tavrel.conf"));
    EXPECT_EQ(ini.value(QStringLiteral("ScriptAction/Total")).toInt(), 3);
    EXPECT_EQ(ini.value(QStringLiteral("Item_1/Weekdays")).toInt(), kMon | kFri);
    EXPECT_EQ(ini.value(QStringLiteral("Item_1/Hotkey")).toInt(), 12);
    EXPECT_EQ(ini.value(QStringLiteral("Item_2/Year")).toInt(), 2026);
    EXPECT_EQ(ini.value(QStringLiteral("Item_2/Day")).toInt(), 31);
    EXPECT_EQ(ini.value(QStringLiteral("Item_2/PlayOnce")).toInt(), 1);
    const QStringList itemKeys = [&ini] {
        ini.beginGroup(QStringLiteral("Item_1"));
        QStringList keys = ini.childKeys();
        ini.endGroup();
        return keys;
    }();
    EXPECT_EQ(itemKeys.size(), 13);

    CFrameScriptScheduleArray loaded;
    loaded.LoadFromSettings(CQSettingsStore());
    EXPECT_EQ(loaded, list);

    // A shorter list: the left-over section stays but is not read.
    ASSERT_TRUE(list.Remove(2));
    list.SaveToSettings(store_);
    loaded.LoadFromSettings(store_);
    EXPECT_EQ(loaded, list);
    ini.sync();
    EXPECT_EQ(ini.value(QStringLiteral("Item_2/Year")).toInt(), 2026);
}

TEST_F(AutomationSettings, MissingAndDamagedValues)
{
    QSettings ini(store_.FileName(), QSettings::IniFormat);
    ini.setValue(QStringLiteral("ScriptAction/Total"), 4);
    ini.setValue(QStringLiteral("Item_1/File"), QStringLiteral("/a.script"));
    ini.setValue(QStringLiteral("Item_1/Hotkey"), 21);
    ini.setValue(QStringLiteral("Item_2/Hotkey"), -3);
    ini.setValue(QStringLiteral("Item_3/Hotkey"), QStringLiteral("Ctrl"));
    ini.setValue(QStringLiteral("Item_3/Hour"), 7);
    ini.sync();

    CFrameScriptScheduleArray list;
    list.LoadFromSettings(store_);
    ASSERT_EQ(list.Count(), 4);
    // Values missing from a stored entry read as 0, the weekdays too.
    EXPECT_EQ(list.At(0).file, QString());
    EXPECT_EQ(list.At(0).weekdays, 0);
    EXPECT_EQ(list.At(1).file, QStringLiteral("/a.script"));
    // Hotkey numbers no key combination has read as none.
    EXPECT_EQ(list.At(1).hotkey, 0);
    EXPECT_EQ(list.At(2).hotkey, 0);
    EXPECT_EQ(list.At(3).hotkey, 0);
    EXPECT_EQ(list.At(3).startTime.hour, 7);
    EXPECT_TRUE(list.GlobalHotkeys().empty());

    // A negative total reads as no entries.
    ini.setValue(QStringLiteral("ScriptAction/Total"), -2);
    ini.sync();
    list.LoadFromSettings(store_);
    EXPECT_EQ(list.Count(), 1);
}

// A damaged total must not make start-up loop and allocate for entries that
// were never written: reading stops at the first missing section after the
// start-up entry, and after the list's limit.
TEST_F(AutomationSettings, DamagedTotalReadsOnlyTheStoredEntries)
{
    const struct
    {
        const char* name;
        int total;
        int sections;  // Item_0 .. Item_(sections - 1) hold a file
        int gap;       // this section is left out (-1: none)
        int count;
    } cases[] = {
        {"a gap ends the list", 6, 6, 3, 3},
        {"no more than the limit", 5000, CFrameScriptScheduleArray::kMaxEntries + 5, -1,
         CFrameScriptScheduleArray::kMaxEntries},
        {"a huge total", 2000000000, 3, -1, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(store_.FileName());
        {
            QSettings ini(store_.FileName(), QSettings::IniFormat);
            ini.setValue(QStringLiteral("ScriptAction/Total"), c.total);
            for (int i = 0; i < c.sections; ++i) {
                if (i != c.gap)
                    ini.setValue(QStringLiteral("Item_%1/File").arg(i), QStringLiteral("/s%1.script").arg(i));
            }
        }
        CFrameScriptScheduleArray list;
        list.LoadFromSettings(CQSettingsStore());
        ASSERT_EQ(list.Count(), c.count);
        EXPECT_EQ(list.At(c.count - 1).file, QStringLiteral("/s%1.script").arg(c.count - 1));
        EXPECT_EQ(list.Add(list.At(1)), c.count < CFrameScriptScheduleArray::kMaxEntries) << "a full list takes no more";
    }
}

}  // namespace
