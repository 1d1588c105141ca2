#include "playback/ClockText.h"

#include <gtest/gtest.h>

#include <clocale>

TEST(ClockText, FormatsAFixedTime)
{
    std::tm t {};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 0;
    t.tm_mday = 7;
    t.tm_hour = 9;
    t.tm_min = 5;
    t.tm_sec = 3;
    t.tm_wday = 3;
    t.tm_yday = 6;
    const struct {
        const char* format;
        const char* text;
    } cases[] = {
        {"%H:%M:%S", "09:05:03"},
        {"%H:%M", "09:05"},
        {"Time: %H.%M", "Time: 09.05"},
        {"%d.%m.%Y", "07.01.2026"},
        {"%I:%M %p", "09:05 AM"},  // C locale in the test run
        {"%%", "%"},
        {"", ""},
    };
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "C");
    for (const auto& c : cases)
        EXPECT_EQ(FormatClockText(QString::fromLatin1(c.format), t), QString::fromLatin1(c.text)) << c.format;
    // Text that does not fit the clock's 128 characters is dropped whole.
    EXPECT_EQ(FormatClockText(QString(127, QLatin1Char('x')), t).size(), 127);
    EXPECT_EQ(FormatClockText(QString(128, QLatin1Char('x')), t), QString());
    EXPECT_EQ(FormatClockText(QString(60, QLatin1Char('x')) + QStringLiteral("%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y"), t),
              QString());
    // Non-ASCII text in the format survives the wide-character formatting.
    std::setlocale(LC_ALL, "C.UTF-8");
    EXPECT_EQ(FormatClockText(QString::fromUtf16(u"Время %H:%M"), t), QString::fromUtf16(u"Время 09:05"));
    std::setlocale(LC_ALL, saved.c_str());
}
