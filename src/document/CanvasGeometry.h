#pragma once

#include "model/FrameSet.h"
#include "model/Rect.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QtGui/qrgb.h>

#include <optional>

// The editor canvas's rules that need no window: zoom, page layout and the
// conversions between page and view pixels, hit testing, snapping and
// clamping of a new object rectangle, the arrow keys, Tab order, the editor
// background picture and the status bar's geometry text. The canvas widget
// asks these and shows the result.
//
// "View" coordinates are those of the scrolled content (the scroll position
// already added); rectangles keep right and bottom exclusive in both spaces.
// The clone's place is CloneOffsetRect (model/Frame.h).

// Zoom levels 0..5: 100, 75, 66, 50, 33 and 25 %.
inline constexpr int kZoomLevelCount = 6;
inline constexpr int kLowestZoomLevel = kZoomLevelCount - 1;
// Levels out of range count as the nearest one.
double ZoomFactorOf(int level);
int ZoomPercentOf(int level);
// The zoom box's entry: "100%".
QString ZoomBoxText(int level);
// The stored "ZoomFactor": negative or above 5 opens at 25 %.
int ZoomLevelFromSetting(int stored);
// The zoom box's selection: none (negative) counts as 100 %.
int ZoomLevelFromBox(int index);

// Where the zoomed page sits in the scroll view. borderX and borderY (the
// scroll bars' sizes) are the least room kept around the page.
struct CPageLayout
{
    QSize scrollExtent;
    QPoint origin;  // view position of page pixel (0,0)
    double factor = 1.0;
};
CPageLayout PageLayout(int pageWidth, int pageHeight, double factor, QSize client, int borderX, int borderY);

// Page pixel c lands on view pixel trunc(c * factor) + origin.
CRect PageToView(const CRect& page, QPoint origin, double factor);
// And back: origin off, divided by the factor, truncated.
CRect ViewToPage(const CRect& view, QPoint origin, double factor);

// The object under a view point: tested from the top of the stacking order
// (`live` runs bottom to top) down; an unlocked object takes clicks up to 4
// view pixels outside its zoomed rectangle, a locked one only inside.
inline constexpr int kClickSlack = 4;
CFrame* HitTestObject(QPoint viewPoint, QPoint origin, double factor, const FrameList& live);

// c on the nearest multiple of step; a half step rounds down (towards
// zero for negative c). A step below 2 leaves c as it is.
int SnapToGrid(int c, int step);
// The rectangle a move or resize gives: each coordinate snapped to gridStep
// (0 when snapping is off), then clamped to the page. keepWidth shifts a
// rectangle that crosses the left or right edge back inside; without it the
// crossing edge is cut. keepHeight likewise for the top and bottom.
CRect PlaceObjectRect(CRect rect, int gridStep, int pageWidth, int pageHeight, bool keepWidth, bool keepHeight);
// The part of the page to recompose after an object moved from `before` to
// `after`: both, and 6 pixels around for the selection frame's handles.
inline constexpr int kHintMargin = 6;
CRect HintRect(const CRect& before, const CRect& after);

// Arrow keys on the selection: move by step, or with Shift move the right
// (Left/Right) or bottom (Up/Down) edge alone. Nothing when the object would
// become narrower or lower than 16 pixels.
enum class ArrowKey { Left, Right, Up, Down };
inline constexpr int kMinObjectSize = 16;
struct CRectChange
{
    CRect rect;
    bool keepWidth = false;   // left and right moved together (or not at all)
    bool keepHeight = false;  // top and bottom likewise
};
std::optional<CRectChange> ArrowKeyRect(const CRect& rect, ArrowKey key, bool shift, int step);

// Tab and Shift+Tab: the next or previous live object in stacking order,
// wrapping around. Without a selection (or one no longer on the page) Tab
// takes the bottom object and Shift+Tab the top one. Null on an empty page.
CFrame* NextByTab(const FrameList& live, const CFrame* selection, bool backwards);

// The editor's background at page size: a checkerboard of 16 x 16 greys
// (dark at the top-left square) or the solid colour, opaque, with the safety
// margins (percent of the page's width and height) drawn as darker or
// lighter bands. The corners, where a side and a top or bottom band meet,
// are changed once.
inline constexpr int kCheckerSquare = 16;
inline constexpr QRgb kCheckerDark = 0xFF707070u;   // (112,112,112)
inline constexpr QRgb kCheckerLight = 0xFFA0A0A0u;  // (160,160,160)
QImage BuildCanvasBackground(int pageWidth, int pageHeight, bool solid, QRgb colour, int marginH, int marginV);

// The status bar's geometry pane: " 3: 32,32 - 288,160 (256x128)" for the
// selection with number 3; empty without a selection.
QString SelectionGeometryText(const CFrame* selection, int number);

// The preview pane's drawing window for a page: the page's picture as the
// output shows it (576-line pages have pixels 0.9375 as wide as high,
// 488-line pages 1.125), as large as the pane allows, at least 100 pixels
// a side, centred; empty for a pane without area.
double PixelAspectOfPage(int pageHeight);
QRect PreviewTargetRect(QSize client, int pageWidth, int pageHeight);
