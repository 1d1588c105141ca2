#include "playback/ClockText.h"

#include <cwchar>
#include <string>

QString FormatClockText(const QString& format, const std::tm& localTime)
{
    const std::wstring wideFormat = format.toStdWString();
    wchar_t buffer[kClockTextCapacity];
    const size_t length = std::wcsftime(buffer, kClockTextCapacity, wideFormat.c_str(), &localTime);
    return QString::fromWCharArray(buffer, static_cast<qsizetype>(length));
}

QString FormatClockNow(const QString& format)
{
    return FormatClockAt(format, std::time(nullptr));
}

QString FormatClockAt(const QString& format, std::time_t when)
{
    std::tm local {};
    localtime_r(&when, &local);
    return FormatClockText(format, local);
}
