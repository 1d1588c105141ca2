#include "document/PagesFolder.h"

#include <QDir>
#include <QFileInfo>

QStringList PagesPaneNameFilters()
{
    return {QStringLiteral("*.tavrel"), QStringLiteral("*.script")};
}

bool IsPageFilePath(const QString& path)
{
    return path.endsWith(QStringLiteral(".tavrel"), Qt::CaseInsensitive);
}

bool IsScriptFilePath(const QString& path)
{
    return path.endsWith(QStringLiteral(".script"), Qt::CaseInsensitive);
}

QString PathAfterRename(const QString& path, const QString& oldPath, const QString& newPath)
{
    if (path.isEmpty() || oldPath.isEmpty())
        return path;
    const QString cleanPath = QDir::cleanPath(path);
    const QString cleanOld = QDir::cleanPath(oldPath);
    if (cleanPath == cleanOld)
        return QDir::cleanPath(newPath);
    const QString folder = cleanOld + QLatin1Char('/');
    if (cleanPath.startsWith(folder))
        return QDir::cleanPath(newPath) + QLatin1Char('/') + cleanPath.mid(folder.size());
    return path;
}

QString UniqueNameIn(const QString& folder, const QString& base)
{
    const QDir dir(folder);
    QString name = base;
    for (int n = 2; dir.exists(name); ++n)
        name = QStringLiteral("%1 %2").arg(base).arg(n);
    return name;
}

int RenameSelectionLength(const QString& fileName, bool isFolder)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (isFolder || dot <= 0)
        return static_cast<int>(fileName.size());
    return static_cast<int>(dot);
}
