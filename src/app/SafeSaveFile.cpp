#include "app/SafeSaveFile.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace {

bool SyncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

}  // namespace

CSafeSaveFile::~CSafeSaveFile()
{
    Discard();
}

bool CSafeSaveFile::Open(const QString& target)
{
    Discard();
    QFileInfo info(target);
    if (info.isSymLink())
        info = QFileInfo(info.symLinkTarget());
    if (info.exists() && (!info.isFile() || !info.isWritable()))
        return false;
    target_ = info.absoluteFilePath();
    const QString stem = info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".tmp-");
    for (int attempt = 0; attempt < 16; ++attempt) {
        file_.setFileName(stem + QString::number(QRandomGenerator::global()->generate64(), 36));
        if (file_.open(QIODevice::ReadWrite | QIODevice::NewOnly)) {
            if (info.exists())
                file_.setPermissions(info.permissions());
            return true;
        }
        if (file_.error() != QFileDevice::OpenError || !QFileInfo(info.absolutePath()).isWritable())
            break;
    }
    file_.setFileName(QString());
    return false;
}

bool CSafeSaveFile::Commit()
{
    if (!file_.isOpen())
        return false;
    const bool written = file_.flush() && file_.error() == QFileDevice::NoError && ::fsync(file_.handle()) == 0;
    file_.close();
    if (!written || file_.error() != QFileDevice::NoError
        || std::rename(QFile::encodeName(file_.fileName()).constData(), QFile::encodeName(target_).constData()) != 0) {
        Discard();
        return false;
    }
    file_.setFileName(QString());
    // The rename itself reaches the disk with the folder.
    SyncFolder(QFileInfo(target_).absolutePath());
    return true;
}

void CSafeSaveFile::Discard()
{
    if (file_.fileName().isEmpty())
        return;
    file_.close();
    QFile::remove(file_.fileName());
    file_.setFileName(QString());
}
