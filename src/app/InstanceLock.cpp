#include "app/InstanceLock.h"

#include "app/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

CInstanceLock::CInstanceLock(QString folder)
{
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    path_ = folder + QLatin1Char('/') + QLatin1String(kName) + QStringLiteral(".lock");
}

CInstanceLock::~CInstanceLock()
{
    Release();
}

int CInstanceLock::TryAcquire()
{
    if (fd_ >= 0)
        return 1;
    QDir().mkpath(QFileInfo(path_).absolutePath());
    const QByteArray nativePath = QFile::encodeName(path_);
    const int fd = ::open(nativePath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        WriteLog(kLogFailure, "CInstanceLock::TryAcquire(): open(%s) failed", nativePath.constData());
        return 0;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return 0;
    }
    fd_ = fd;
    return 1;
}

void CInstanceLock::Release()
{
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
}
