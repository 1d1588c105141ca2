#include "scripts/FrameScriptSchedule.h"

#include <tuple>

ScheduleTime ScheduleTime::FromDateTime(const QDateTime& local)
{
    const QDate date = local.date();
    const QTime time = local.time();
    ScheduleTime t;
    t.year = date.year();
    t.month = date.month();
    t.dayOfWeek = date.dayOfWeek() % 7;  // Qt counts Monday 1 ... Sunday 7
    t.day = date.day();
    t.hour = time.hour();
    t.minute = time.minute();
    t.second = time.second();
    t.millisecond = time.msec();
    return t;
}

ScheduleTime ScheduleTime::Now()
{
    return FromDateTime(QDateTime::currentDateTime());
}

CFrameScriptSchedule::CFrameScriptSchedule()
    : CFrameScriptSchedule(ScheduleTime::Now())
{
}

CFrameScriptSchedule::CFrameScriptSchedule(const ScheduleTime& created)
    : startTime(created)
{
}

bool CFrameScriptSchedule::MatchesTime(const ScheduleTime& now) const
{
    if (playOnTime != 1 || startTime.SecondOfDay() != now.SecondOfDay())
        return false;
    if (playOnce == 1)
        return startTime.year == now.year && startTime.month == now.month && startTime.day == now.day;
    return playOnce == 0 && (weekdays & (1 << now.WeekdayBit())) != 0;
}

bool operator==(const CFrameScriptSchedule& a, const CFrameScriptSchedule& b)
{
    const auto stored = [](const CFrameScriptSchedule& e) {
        const ScheduleTime& t = e.startTime;
        return std::tuple(e.file, e.hotkey, e.global, e.remote, e.playOnTime, e.playOnce, e.weekdays, t.year, t.month,
                          t.day, t.hour, t.minute, t.second);
    };
    return stored(a) == stored(b);
}
