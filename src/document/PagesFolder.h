#pragma once

#include <QString>
#include <QStringList>

// Rules of the pages pane that need no window: which files it lists, how a
// rename moves the paths that point into it, the name of a new folder.

// The files the pane lists: page files and script files, the extension in
// any case.
QStringList PagesPaneNameFilters();
bool IsPageFilePath(const QString& path);
bool IsScriptFilePath(const QString& path);

// A path after oldPath (a file or a folder) became newPath: the same path
// when it is neither oldPath nor inside it.
QString PathAfterRename(const QString& path, const QString& oldPath, const QString& newPath);

// The first of "base", "base 2", "base 3", ... that names nothing in folder.
QString UniqueNameIn(const QString& folder, const QString& base);

// File names as people read them: numbers by value ("Page 2" before
// "Page 10"), letters without regard to case; <0, 0 or >0.
int NaturalCompare(const QString& a, const QString& b);

// The part of a file name a rename starts with selected: the name without
// its extension (all of it for a folder or a name without one).
int RenameSelectionLength(const QString& fileName, bool isFolder);
