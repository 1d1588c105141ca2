#include "model/Frame.h"
#include "playback/FrameTextSource.h"
#include "playback/TimerText.h"

#include <gtest/gtest.h>

TEST(TimerText, FormatsByDirectionStartStopAndElapsed)
{
    const struct {
        const char* format;
        int direction;
        int start;
        int stop;
        int elapsedMs;  // < 0: not playing
        const char* text;
    } cases[] = {
        {"%s.%d", kTimerUp, 0, 10, 3250, "3.2"},
        {"%s.%d", kTimerUp, 0, 10, 12000, "10.0"},
        {"%s.%h", kTimerUp, 0, 10, 3257, "3.25"},
        {"%s.%m", kTimerUp, 0, 10, 3257, "3.257"},
        {"%H:%M:%S", kTimerUp, 0, 0, 90061000, "25:01:01"},  // no stop; hours go past 24
        {"%H:%M:%S", kTimerUp, 3600, 7200, 1500, "01:00:01"},
        {"%H:%M:%S", kTimerUp, 5, 100, -1, "00:00:05"},       // not playing shows the start
        {"%n:%S", kTimerDown, 90, 0, 500, "1:30"},
        {"%n:%S", kTimerDown, 90, 0, 30200, "1:00"},
        {"%n:%S", kTimerDown, 90, 0, 90000, "0:00"},
        {"%n:%S", kTimerDown, 90, 0, 95000, "0:00"},
        {"%n:%S", kTimerDown, 90, 0, -1, "1:30"},
        {"%s.%d", kTimerDown, 10, 0, 250, "9.7"},
        {"%s", kTimerDown, 10, 0, 250, "10"},
        {"%H:%M", kTimerDown, 3600, 0, 1000, "01:00"},
        {"%H:%M", kTimerDown, 3600, 0, 59000, "01:00"},
        {"%H:%M", kTimerDown, 3600, 0, 60000, "00:59"},
        {"%H:%M", kTimerDown, 3600, 0, 61000, "00:59"},
        {"%H", kTimerDown, 3600, 0, 1000, "01"},             // minutes not shown round the hours up
        {"%H:%M:%S", kTimerDown, 100, 30, 80000, "00:00:30"}, // held at the stop
        {"%n", kTimerDown, 120, 0, 59000, "2"},
        {"Left: %s s (%s)", kTimerDown, 5, 0, 1000, "Left: 4 s (4)"},
        {"no tokens %", kTimerUp, 0, 10, 1000, "no tokens %"},
    };
    for (const auto& c : cases) {
        const bool playing = c.elapsedMs >= 0;
        const int64_t v = TimerValueMicros(c.direction, c.start, c.stop, playing, playing ? c.elapsedMs : 0, 0);
        EXPECT_EQ(FormatTimerValue(QString::fromLatin1(c.format), c.direction == kTimerDown, v),
                  QString::fromLatin1(c.text))
            << c.format << " dir " << c.direction << " start " << c.start << " stop " << c.stop << " elapsed "
            << c.elapsedMs;
    }
}

TEST(TimerText, ObjectTimerUsesItsPlayTime)
{
    CFrame frame;
    frame.timerFormat = QStringLiteral("%s.%m");
    frame.timerStart = 0;
    frame.timerStop = 0;
    frame.elapsed = 1234;
    frame.elapsedMicros = 999;
    EXPECT_EQ(CFrameTextSource(frame).FormatTimer(), QStringLiteral("0.000"));  // stopped
    frame.playing = 1;
    EXPECT_EQ(CFrameTextSource(frame).FormatTimer(), QStringLiteral("1.234"));
    frame.playing = 0;
}
