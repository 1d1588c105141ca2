#pragma once

#include <QDateTime>
#include <QString>

// A local date and time as the automation stores and compares it. dayOfWeek
// counts from 0 = Sunday; the settings keep neither it nor millisecond.
struct ScheduleTime
{
    int year = 1970;
    int month = 1;
    int dayOfWeek = 4;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    static ScheduleTime FromDateTime(const QDateTime& local);
    static ScheduleTime Now();  // the local time

    // hour * 3600 + minute * 60 + second
    int SecondOfDay() const { return hour * 3600 + minute * 60 + second; }
    // Bit of the automation's weekday set: Monday 0 ... Sunday 6.
    int WeekdayBit() const { return (dayOfWeek + 6) % 7; }
};

// One automation entry: a script file and the triggers that start it. Entry
// 0 of the list is the start-up entry, whose triggers are never examined.
class CFrameScriptSchedule
{
public:
    static constexpr int kAllWeekdays = 127;
    static constexpr int kMaxHotkey = 20;  // 1..10 Ctrl+0..Ctrl+9, 11..20 Alt+0..Alt+9
    static constexpr int kMaxRemote = 16;

    QString file;            // full path of the script; empty = the entry does nothing
    int hotkey = 0;          // 0 none, 1..20
    int global = 0;          // 1: the hotkey is registered with the system
    int remote = 0;          // switcher button number, only kept
    int playOnTime = 0;      // 1: the time trigger is on
    int playOnce = 0;        // 1: only on the date of startTime; 0: daily on weekdays
    int weekdays = kAllWeekdays;  // bit 0 Monday ... bit 6 Sunday
    ScheduleTime startTime;  // time of day of the trigger; date of a once-only trigger

    // A new entry: defaults, startTime = the local time now.
    CFrameScriptSchedule();
    // A new entry made at the given local time (tests run on a virtual clock).
    explicit CFrameScriptSchedule(const ScheduleTime& created);

    // Whether the time trigger is due in the second of now: on, at that
    // second of the day, and on the once-only date or on one of the weekdays.
    bool MatchesTime(const ScheduleTime& now) const;

    // Equal when every value the settings keep is equal (day of week and
    // millisecond are not kept).
    friend bool operator==(const CFrameScriptSchedule& a, const CFrameScriptSchedule& b);
};
