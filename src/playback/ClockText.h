#pragma once

#include <QString>

#include <ctime>

// Clock texts: strftime conventions under the C runtime locale set at
// start-up, so "%c", "%x" and "%p" follow the user's locale.
inline constexpr int kClockTextCapacity = 128;  // characters, with the terminator

// The format applied to a broken-down local time; empty when the result does
// not fit in kClockTextCapacity characters.
QString FormatClockText(const QString& format, const std::tm& localTime);

// The format applied to the current local time.
QString FormatClockNow(const QString& format);
