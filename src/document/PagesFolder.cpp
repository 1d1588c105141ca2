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

int NaturalCompare(const QString& a, const QString& b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            // Leading zeros aside, the longer run of digits is the larger number.
            while (i < a.size() - 1 && a[i] == u'0' && a[i + 1].isDigit())
                ++i;
            while (j < b.size() - 1 && b[j] == u'0' && b[j + 1].isDigit())
                ++j;
            qsizetype endA = i;
            qsizetype endB = j;
            while (endA < a.size() && a[endA].isDigit())
                ++endA;
            while (endB < b.size() && b[endB].isDigit())
                ++endB;
            if (endA - i != endB - j)
                return endA - i < endB - j ? -1 : 1;
            const int digits = QStringView(a).mid(i, endA - i).compare(QStringView(b).mid(j, endB - j));
            if (digits != 0)
                return digits;
            i = endA;
            j = endB;
            continue;
        }
        const char32_t left = a[i].toCaseFolded().unicode();
        const char32_t right = b[j].toCaseFolded().unicode();
        if (left != right)
            return left < right ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    // Equal but for case or zeros: an order all the same, never "equal".
    return a.compare(b);
}

int RenameSelectionLength(const QString& fileName, bool isFolder)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (isFolder || dot <= 0)
        return static_cast<int>(fileName.size());
    return static_cast<int>(dot);
}
