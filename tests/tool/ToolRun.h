#pragma once

#include "TestEnvironment.h"

#include <QProcess>
#include <QStringList>

// Runs the built tavrel-tool and keeps what it said.
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
    process.waitForFinished(120000);
    return {process.exitCode(), process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
}
