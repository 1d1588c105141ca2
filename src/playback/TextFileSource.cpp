#include "playback/TextFileSource.h"

#include "app/Log.h"
#include "model/Frame.h"
#include "playback/SourceFileStamp.h"
#include "playback/NonStdioFile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int ReadTextFile(const QString& path, int encoding, int movement, QString& text, CFileStamp* stamp)
{
    text.clear();
    CNonStdioFile file;
    if (!file.Open(path, encoding))
        return 0;
    if (stamp)
        *stamp = file.Stamp();
    const QString lineBreak = movement == kMovementScroll ? QString() : QStringLiteral("\r\n");
    QString line;
    bool first = true;
    while (file.ReadLine(line)) {
        if (text.size() + lineBreak.size() + line.size() > kMaxSourceTextLength) {
            WriteLog(kLogFailure, "ReadTextFile(): %s is too large, reading stopped after %lld characters",
                     path.toUtf8().constData(), static_cast<long long>(text.size()));
            break;
        }
        if (!first)
            text += lineBreak;
        text += line;
        first = false;
    }
    return 1;
}

int BarGraphValue(const QString& text)
{
    qsizetype i = 0;
    auto isSpace = [](QChar c) {
        const char16_t u = c.unicode();
        return u == u' ' || (u >= u'\t' && u <= u'\r');
    };
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    long long value = 0;
    while (i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
        if (value <= 1000)  // past 100 only the sign still matters
            value = value * 10 + (text[i].unicode() - u'0');
        ++i;
    }
    if (negative)
        value = -value;
    return static_cast<int>(std::clamp<long long>(value, 0, 100)) + 1;
}

int ReadRtfFile(const QString& path, QByteArray& rtf, CFileStamp* stamp)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return 0;
    struct stat info {};
    const bool usable = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= kMinRtfFileBytes
                        && info.st_size <= kMaxRtfFileBytes;
    if (!usable) {
        if (info.st_size > kMaxRtfFileBytes)
            WriteLog(kLogFailure, "ReadRtfFile(): %s is too large (%lld bytes)", path.toUtf8().constData(),
                     static_cast<long long>(info.st_size));
        ::close(fd);
        return 0;
    }
    // The file may shrink or grow while it is read: take what is there, up
    // to the limit, and judge the size by what was actually read.
    QByteArray bytes(static_cast<qsizetype>(info.st_size), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, static_cast<size_t>(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    if (stamp)
        *stamp = FileStampFromStat(info);
    ::close(fd);
    if (got < kMinRtfFileBytes)
        return 0;
    bytes.truncate(got);
    rtf = std::move(bytes);
    return 1;
}
