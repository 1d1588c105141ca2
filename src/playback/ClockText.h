#pragma once

#include <QString>

#include <ctime>
#include <functional>

// Clock texts: strftime conventions under the C runtime locale set at
// start-up, so "%c", "%x" and "%p" follow the user's locale.
inline constexpr int kClockTextCapacity = 128;  // characters, with the terminator

// The format applied to a broken-down local time; empty when the result does
// not fit in kClockTextCapacity characters.
QString FormatClockText(const QString& format, const std::tm& localTime);

// The format applied to the current local time.
QString FormatClockNow(const QString& format);

// Where clock sources take the time from. Empty: the machine's clock; the
// off-line renderer gives its virtual one, so that a render of a clock
// shows the time moving with its frames.
using ClockTimeSource = std::function<std::time_t()>;

// The format applied to the local time of `when`.
QString FormatClockAt(const QString& format, std::time_t when);
