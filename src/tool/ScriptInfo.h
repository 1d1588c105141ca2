#pragma once

#include <QString>

// "tavrel-tool info FILE.script": prints the script as JSON on stdout and
// returns 0; a file that does not load prints "Error: File open failed!\n\n"
// and the path on stderr and returns 1.
int RunScriptInfo(const QString& path);
