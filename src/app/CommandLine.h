#pragma once

#include <QString>
#include <QStringList>

// The parsed command line. "-edit" or "/edit", exactly, is the edit switch;
// any other word that starts with "-" is an unknown option and ignored; every
// other parameter, one starting with "/" included (an absolute path), names
// the page to open. The first page named wins.
struct CMyCommandLineInfo
{
    int edit = 0;
    QString fileName;
    QStringList ignoredOptions;
};

// arguments: the parameters without the program name.
CMyCommandLineInfo ParseCommandLine(const QStringList& arguments);

// The kind of process a command line starts.
struct InstanceKind
{
    // 1 for an additional edit-only instance: "-edit"/"/edit", or a page named
    // on the command line (a page always opens in an editor instance).
    int editMode = 0;
    QString pageToOpen;
};

InstanceKind DecideInstanceKind(const CMyCommandLineInfo& info);

// The command line with which the playout instance opens a page in an
// editor instance of its own program.
QStringList EditInstanceArguments(const QString& pagePath);
