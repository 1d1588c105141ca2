#pragma once

#include <QString>

// Files that a page or a script refers to are stored relative to the folder
// of the page or script when they lie below it: "+" followed by the rest of
// the path. A page and its pictures, or a script and its pages, can then be
// moved together to another folder.
//
// Folder comparison is exact (Linux file names are case-sensitive). Pages and
// scripts made on Windows store "+Pages\News.tavrel"; on reading, every
// backslash after the "+" becomes "/", so their relative links keep working.

// The folder of a file's path as the relative form uses it: the absolute
// folder ending with "/".
QString RelativeFolderOf(const QString& filePath);

// The stored form of path for a page or script in folder (which ends with
// "/"): "+" and the rest when path is longer than folder and starts with it,
// otherwise path unchanged.
QString MakeRelativePath(const QString& path, const QString& folder);

// The path a stored value stands for: a value starting with "+" is folder
// followed by the rest (backslashes turned into "/"); any other value is
// returned unchanged.
QString ExpandRelativePath(const QString& stored, const QString& folder);
