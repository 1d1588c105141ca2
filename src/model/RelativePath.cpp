#include "model/RelativePath.h"

#include <QFileInfo>

namespace {

constexpr QChar kRelativeMark = u'+';

}  // namespace

QString RelativeFolderOf(const QString& filePath)
{
    QString folder = QFileInfo(filePath).absolutePath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

QString MakeRelativePath(const QString& path, const QString& folder)
{
    if (folder.isEmpty() || path.size() <= folder.size() || !path.startsWith(folder, Qt::CaseSensitive))
        return path;
    return kRelativeMark + path.mid(folder.size());
}

QString ExpandRelativePath(const QString& stored, const QString& folder)
{
    if (!stored.startsWith(kRelativeMark))
        return stored;
    QString rest = stored.mid(1);
    rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return folder + rest;
}
