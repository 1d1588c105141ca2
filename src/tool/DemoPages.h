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
// Both are made for a 1920 x 1080 canvas. Return false with the reason in
// error when a file could not be written.
bool WriteDemoPage(const QString& folder, int framePeriod, QString& error);
bool WriteReferencePage(const QString& folder, int framePeriod, QString& error);

// File names inside the folder.
inline constexpr char kDemoPageName[] = "demo.tavrel";
inline constexpr char kReferencePageName[] = "reference.tavrel";
