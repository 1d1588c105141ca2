#pragma once

#include <QString>

// Pages the project ships, made from the engine's own objects so that they
// can be rebuilt at any time (`tavrel-tool demo`).
//
// The demo page shows every kind of object an operator uses: a title on a
// picture sliding in with a fade, lower thirds with drop shadows, a clock, a
// countdown, a crawl from a text file, a roll from an RTF file, a rotator fed
// by a CSV file, a looping animation and a video background. Its data files
// are written beside it.
//
// The reference page is the measurement load: 16 lower thirds of 1000 x 120
// on pictures with two lines of text (half of them with a drop shadow), a
// full-width crawl, a 600 x 800 roll of a long text, a clock and a running
// timer, all playing at once.
//
// The grid pages measure how the cost grows with the number of objects: N
// objects of 240 x 60 (1 to 256), 16 to a row, each on a picture of its own
// with one line of text, a drop shadow on every other one, all coming in
// with effects of 400 ms (slides, stretches and reveals by turns, some with a
// fade). Sixteen 240-pixel objects do not fit side by side in 1920 pixels:
// the columns stand 112 pixels apart, so that neighbours overlap by 128
// pixels, and the rows 68 apart, so that 16 rows fill the canvas.
//
// All are made for a 1920 x 1080 canvas. Return false with the reason in
// error when a file could not be written.
bool WriteDemoPage(const QString& folder, int framePeriod, QString& error);
bool WriteReferencePage(const QString& folder, int framePeriod, QString& error);
bool WriteGridPage(const QString& folder, int objects, int framePeriod, QString& error);

// File names inside the folder.
inline constexpr char kDemoPageName[] = "demo.tavrel";
inline constexpr char kReferencePageName[] = "reference.tavrel";
// grid16.tavrel, grid256.tavrel, ...
QString GridPageName(int objects);

// The grid page's layout.
inline constexpr int kGridColumns = 16;
inline constexpr int kGridObjectWidth = 240;
inline constexpr int kGridObjectHeight = 60;
inline constexpr int kGridEffectDuration = 400;  // ms
