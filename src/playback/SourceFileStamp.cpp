#include "playback/SourceFileStamp.h"

#include <QFile>

#include <sys/stat.h>

CFileStamp FileStampFromStat(const struct stat& info)
{
    CFileStamp stamp;
    stamp.lastWriteNs = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    stamp.size = static_cast<int64_t>(info.st_size);
    stamp.device = static_cast<uint64_t>(info.st_dev);
    stamp.inode = static_cast<uint64_t>(info.st_ino);
    return stamp;
}

CFileStamp FileStampOf(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return FileStampFromStat(info);
}

CFileStamp FileStampOf(int fd)
{
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0)
        return {};
    return FileStampFromStat(info);
}
