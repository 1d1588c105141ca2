#include "playback/TimerText.h"

#include "model/Frame.h"

namespace {

// Replaces every occurrence of token by the number in printf-style "%0*d"
// form; returns how many there were.
qsizetype ReplaceToken(QString& text, const char* token, int64_t value, int width)
{
    const QString key = QString::fromLatin1(token);
    const qsizetype count = text.count(key);
    if (count > 0)
        text.replace(key, QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0')));
    return count;
}

}  // namespace

int64_t TimerValueMicros(int direction, int startSeconds, int stopSeconds, bool playing, int elapsedMs,
                         int elapsedMicros)
{
    const int64_t e = playing ? elapsedMs : 0;
    const int64_t m = playing ? elapsedMicros : 0;
    const int64_t start = startSeconds;
    const int64_t stop = stopSeconds;
    if (direction != kTimerDown) {
        int64_t v = (start * 1000 + e) * 1000 + m;
        if (stop > 0 && v > stop * 1000000)
            v = stop * 1000000;
        return v;
    }
    if (!playing)
        return start * 1000000;
    if (start * 1000 - e >= stop * 1000) {
        const int64_t v = (start * 1000 - e) * 1000 - m;
        return v < 0 ? 0 : v;
    }
    return stop * 1000000;
}

QString FormatTimerValue(const QString& format, bool countingDown, int64_t v)
{
    // A negative start counts as zero; the tokens show magnitudes only.
    if (v < 0)
        v = 0;
    int64_t s = v / 1000000;
    const int64_t f = v - s * 1000000;

    QString text = format;
    qsizetype fractions = ReplaceToken(text, "%m", f / 1000, 3);
    fractions += ReplaceToken(text, "%h", f / 10000, 2);
    fractions += ReplaceToken(text, "%d", f / 100000, 1);
    if (countingDown && fractions == 0 && f > 0)
        ++s;

    qsizetype seconds = ReplaceToken(text, "%s", s, 1);
    seconds += ReplaceToken(text, "%S", s % 60, 2);

    int64_t h = s / 3600;
    int64_t mi = (s % 3600) / 60;
    int64_t tm = s / 60;
    if (countingDown && seconds == 0 && s % 60 > 0) {
        mi = (mi + 1) % 60;
        if (mi == 0)
            ++h;
        ++tm;
    }
    const qsizetype minutes = ReplaceToken(text, "%M", mi, 2);
    ReplaceToken(text, "%n", tm, 1);
    if (countingDown && minutes == 0 && mi > 0)
        ++h;
    ReplaceToken(text, "%H", h, 2);
    return text;
}
