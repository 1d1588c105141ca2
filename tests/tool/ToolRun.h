#pragma once

#include "TestEnvironment.h"

#include "model/PageFile.h"

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

// A 720p page with a half-transparent blue plate and a green object fading
// in over it: the small page the render and measuring commands are tried on.
inline int WriteFadeInTestPage(const QString& path, const CRect& back, const CRect& front)
{
    CFrame backObject, frontObject;
    backObject.rect = back;
    backObject.backgroundColor = 0x800000FFu;
    frontObject.rect = front;
    frontObject.backgroundColor = 0xFF00FF00u;
    frontObject.fadeIn = 1;
    frontObject.inDuration = 200;
    CPageFileContext context;
    context.rasterWidth = 1280;
    context.rasterHeight = 720;
    context.desktopDpi = 96;
    return WritePage(path, FrameList{&backObject, &frontObject}, context);
}
