#pragma once

#include "TestEnvironment.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// One run of tavrel-tool: exit status, stdout, stderr.
struct ToolRun
{
    int exitCode = -1;
    QByteArray out;
    QString error;
};

inline ToolRun RunTool(const QStringList& arguments)
{
    QProcess process;
    process.start(testenv::ToolProgram(), arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
}
