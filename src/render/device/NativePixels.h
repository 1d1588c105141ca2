#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QScreen;
class QWindow;

// Windows and screens in the window system's own pixels. With Qt's window
// scaling (QT_SCALE_FACTOR, desktop scaling) QWindow and QScreen speak
// logical units: a screen keeps its native top-left corner and divides its
// size by its device pixel ratio, and so is a window's offset from the
// corner of its screen. The output display, the device's back buffers and
// the pixels presented are native.
namespace nativepixels {

// The screen that shows the native point, else the primary screen.
QScreen* ScreenAt(const QPoint& native);

// What Qt calls the native rectangle or point on that screen.
QRect LogicalRect(const QRect& native);
QPoint LogicalPoint(const QPoint& native, const QScreen* screen);

// Puts a top-level window exactly over the native rectangle: the logical
// geometry Qt maps to it, and once the window exists on X11 the native
// geometry itself, which logical units cannot always express at a
// fractional scale factor.
void PlaceWindow(QWindow& window, const QRect& native);

// The window's size in native pixels: on X11 the server's own figure once
// the window exists, else its logical size times its device pixel ratio.
// On the window's (GUI) thread.
QSize WindowSize(const QWindow& window);

}  // namespace nativepixels
