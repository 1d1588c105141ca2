#include "app/CommandLine.h"

CMyCommandLineInfo ParseCommandLine(const QStringList& arguments)
{
    CMyCommandLineInfo info;
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("-edit") || argument == QLatin1String("/edit")) {
            info.edit = 1;
        } else if (argument.startsWith(QLatin1Char('-'))) {
            info.ignoredOptions.append(argument);
        } else if (info.fileName.isEmpty() && !argument.isEmpty()) {
            info.fileName = argument;
        }
    }
    return info;
}

InstanceKind DecideInstanceKind(const CMyCommandLineInfo& info)
{
    InstanceKind kind;
    kind.editMode = info.edit;
    if (!info.fileName.isEmpty()) {
        kind.editMode = 1;
        kind.pageToOpen = info.fileName;
    }
    return kind;
}

QStringList EditInstanceArguments(const QString& pagePath)
{
    return {QStringLiteral("/edit"), pagePath};
}
