#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWindow;

// Windows and screens in the window system's own pixels. With Qt's window
// scaling (QT_SCALE_FACTOR, desktop scaling) QWindow and QScreen speak
// logical units: a screen keeps its native top-left corner, and its size
// and a window's offset from that corner are divided by the screen's device
// pixel ratio. The output display, the devices' back buffers and the pixels
// presented are native.
namespace nativepixels {

// What Qt calls the native rectangle: on the screen that shows its centre,
// else on the primary screen.
QRect LogicalRect(const QRect& native);

// Puts a top-level window exactly over the native rectangle: the logical
// geometry Qt maps to it, and once the window exists on X11 the native
// geometry itself, which logical units cannot always express at a
// fractional scale factor.
void PlaceWindow(QWindow& window, const QRect& native);

// Puts the pointer on the native point: on X11 exactly, elsewhere on the
// nearest logical point up and left of it.
void SetCursorPos(const QPoint& native);

// The window's size in native pixels: on X11 the server's own figure once
// the window exists, else its logical size times its device pixel ratio.
// On the window's (GUI) thread.
QSize WindowSize(const QWindow& window);

}  // namespace nativepixels
