#pragma once

#include <QString>

// Folders of the test run, all inside one temporary folder made by the test
// main before the Qt application exists.
namespace testenv {

QString Root();        // the temporary folder
QString Home();        // HOME
QString ConfigHome();  // XDG_CONFIG_HOME: QSettings files live here
QString RuntimeDir();  // XDG_RUNTIME_DIR: the playout lock lives here

// Absolute paths of the built programs.
QString TavrelProgram();
QString ToolProgram();

}  // namespace testenv
