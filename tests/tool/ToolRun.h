#pragma once

#include "TestEnvironment.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// Runs tavrel-tool with arguments and collects what it said.
struct ToolRun
{
    int exitCode = -1;
    QByteArray out;
    QString error;
};

inline ToolRun RunTool(const QStringList& arguments, int timeoutMs = 60000, const QString& workingDirectory = QString())
{
    QProcess process;
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(testenv::ToolProgram(), arguments);
    process.waitForFinished(timeoutMs);
    return {process.exitCode(), process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
}
