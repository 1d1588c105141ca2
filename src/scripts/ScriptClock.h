#pragma once

#include "scripts/FrameScriptSchedule.h"

#include <QDateTime>

#include <cstdint>

// The two clocks the script runner and the automation read: a millisecond
// tick count that wraps like the system's (waits measure differences of it)
// and the local date and time (time triggers and waits for a time of day).
class IScriptClock
{
public:
    virtual ~IScriptClock() = default;

    // Milliseconds since an arbitrary origin, wrapping at 2^32.
    virtual uint32_t TickCount() const = 0;
    virtual ScheduleTime LocalTime() const = 0;
};

// The machine's clocks.
class CSystemScriptClock : public IScriptClock
{
public:
    uint32_t TickCount() const override;
    ScheduleTime LocalTime() const override;
};

// A clock that moves only when told: tests and the off-line renderer, where
// every run must give the same result. The tick count and the local time
// advance together.
class CVirtualScriptClock : public IScriptClock
{
public:
    explicit CVirtualScriptClock(const QDateTime& localStart = QDateTime(QDate(2026, 1, 5), QTime(12, 0)),
                                 uint32_t tickStart = 0)
        : local_(localStart), tick_(tickStart)
    {
    }

    uint32_t TickCount() const override { return tick_; }
    ScheduleTime LocalTime() const override { return ScheduleTime::FromDateTime(local_); }

    void Advance(int64_t milliseconds)
    {
        tick_ += static_cast<uint32_t>(milliseconds);
        local_ = local_.addMSecs(milliseconds);
    }
    // Sets the local time without moving the tick count (a clock change).
    void SetLocalTime(const QDateTime& local) { local_ = local; }
    const QDateTime& Local() const { return local_; }

private:
    QDateTime local_;
    uint32_t tick_;
};
