#include "playback/FileTime.h"

#include <QFile>

#include <sys/stat.h>

QDateTime LastWriteTimeFromTimespec(const struct timespec& time)
{
    const qint64 ms = static_cast<qint64>(time.tv_sec) * 1000 + time.tv_nsec / 1000000;
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
}

QDateTime FileLastWriteTime(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return LastWriteTimeFromTimespec(info.st_mtim);
}

QDateTime FileLastWriteTime(int fd)
{
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0)
        return {};
    return LastWriteTimeFromTimespec(info.st_mtim);
}
