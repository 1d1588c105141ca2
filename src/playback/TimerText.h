#pragma once

#include <QString>

#include <cstdint>

// Timer texts. The value runs in microseconds from the timer's start towards
// its stop (seconds); the format's tokens show it:
//   %H total hours (two digits at least), %M minutes of the hour, %n total
//   minutes, %S seconds of the minute, %s total seconds, %d tenths,
//   %h hundredths, %m milliseconds.
// Counting down, a unit that is not shown rounds the shown ones up, so that
// "1:30" stays on screen until 90 whole seconds have passed.

// The current value: counting up from start (clamped at stop when stop > 0),
// or down from start to stop. elapsedMs and elapsedMicros (the microseconds
// beyond it) are the object's play time; a timer that is not playing shows
// its start.
int64_t TimerValueMicros(int direction, int startSeconds, int stopSeconds, bool playing, int elapsedMs,
                         int elapsedMicros);

// The format with its tokens replaced by the value.
QString FormatTimerValue(const QString& format, bool countingDown, int64_t valueMicros);
