#include "app/Log.h"

#include "app/SettingsRegister.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace {

QString ProgramBaseName()
{
    if (QCoreApplication::instance())
        return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    const QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return exe.isEmpty() ? QStringLiteral("tavrel") : QFileInfo(exe).completeBaseName();
}

bool WriteAll(int fd, const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

QByteArray ToUtf16Le(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

}  // namespace

CDebug::CDebug()
    : CDebug([] { return Read(settings::kLog); }, &CDebug::DefaultPath)
{
}

CDebug::CDebug(std::function<int()> readLevel, std::function<QString()> buildPath)
    : readLevel_(std::move(readLevel)), buildPath_(std::move(buildPath))
{
}

CDebug& CDebug::Instance()
{
    static CDebug instance;
    return instance;
}

QString CDebug::DefaultPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
    if (folder.isEmpty())
        return {};
    // The documents folder may not exist yet on a fresh account.
    QDir().mkpath(folder);
    return folder + QLatin1Char('/') + ProgramBaseName() + QStringLiteral(".log");
}

void CDebug::InitialiseLocked()
{
    if (initialised_)
        return;
    level_ = readLevel_ ? readLevel_() : 0;
    if (level_ > 0 && buildPath_)
        path_ = buildPath_();
    initialised_ = true;
}

QByteArray CDebug::FormatLine(const QString& message)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "%02d.%02d.%04d %02d:%02d:%02d.%03d - ", d.day(), d.month(), d.year(),
                  t.hour(), t.minute(), t.second(), t.msec());
    QString line = QString::fromLatin1(prefix) + message.left(kMaxMessageLength);
    line += QStringLiteral("\r\n");
    return ToUtf16Le(line);
}

bool CDebug::AppendLocked(const QByteArray& line)
{
    if (path_.isEmpty())
        return false;
    const QByteArray nativePath = QFile::encodeName(path_);
    const int fd = ::open(nativePath.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    // Deny other writers while the line goes in; a program holding the lock
    // makes this line wait in memory.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    struct stat info{};
    bool ok = ::fstat(fd, &info) == 0;
    if (ok && info.st_size == 0)
        ok = WriteAll(fd, "\xFF\xFE", 2);
    else if (ok)
        ok = ::lseek(fd, 0, SEEK_END) >= 0;
    if (ok) {
        while (!pending_.empty() && ok) {
            ok = WriteAll(fd, pending_.front().constData(), pending_.front().size());
            if (ok)
                pending_.pop_front();
        }
        if (ok)
            ok = WriteAll(fd, line.constData(), line.size());
    }
    ::close(fd);  // releases the lock
    return ok;
}

void CDebug::Write(int level, const QString& message)
{
    std::lock_guard guard(lock_);
    InitialiseLocked();
    if (level > level_)
        return;
    const QByteArray line = FormatLine(message);
    if (!AppendLocked(line) && pending_.size() < static_cast<size_t>(kMaxPending))
        pending_.push_back(line);
}

void CDebug::WriteV(int level, const char* format, va_list args)
{
    {
        // Cheap exit before formatting: most calls are detail lines that are off.
        std::lock_guard guard(lock_);
        InitialiseLocked();
        if (level > level_)
            return;
    }
    va_list copy;
    va_copy(copy, args);
    char small[1024];
    const int needed = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    QString message;
    if (needed < 0) {
        return;
    } else if (needed < static_cast<int>(sizeof small)) {
        message = QString::fromUtf8(small, needed);
    } else {
        std::vector<char> big(static_cast<size_t>(needed) + 1);
        std::vsnprintf(big.data(), big.size(), format, args);
        message = QString::fromUtf8(big.data(), needed);
    }
    Write(level, message);
}

int CDebug::PendingCount()
{
    std::lock_guard guard(lock_);
    return static_cast<int>(pending_.size());
}

QString CDebug::Path()
{
    std::lock_guard guard(lock_);
    InitialiseLocked();
    return path_;
}

void WriteLog(int level, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    CDebug::Instance().WriteV(level, format, args);
    va_end(args);
}
