#pragma once

#include "model/FrameSet.h"

#include <QString>
#include <QStringList>

struct VideoMode;

// Options the render and bench commands share, and loading their page.
struct PlayOptions
{
    QString input;
    const VideoMode* mode = nullptr;
    QString device = QStringLiteral("auto");
    double seconds = -1;  // not given
    int frames = -1;      // not given
};

// Reads "--mode", "--device", "--seconds", "--frames" and the input; other
// options go to `other` (name and value) for the command to handle. Returns
// false with the reason on stderr (exit status 2).
bool ParsePlayOptions(const QString& command, const QStringList& arguments, const QStringList& valueOptions,
                      PlayOptions& options, QStringList& other);

// Loads the page for the mode into `page`, its objects in drawing order.
// Returns 0, or the exit status with the program's message on stderr: 1 to 4
// the file status, 5 made for another mode.
int LoadPageInto(const QString& path, const VideoMode& mode, CFrameSet& page);

// Whether the input is a script (run by the script runner once it exists).
bool IsScriptInput(const QString& path);

// The program's message for a renderer error code (string 10320 + code),
// or a plain reason where the string table has none.
QString RenderErrorText(int renderError);
