#include "scripts/ScriptClock.h"

#include <chrono>

uint32_t CSystemScriptClock::TickCount() const
{
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

ScheduleTime CSystemScriptClock::LocalTime() const
{
    return ScheduleTime::Now();
}
