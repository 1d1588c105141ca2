#pragma once

#include "playback/PresentResult.h"

// Horizontal scroll and vertical roll of text through an object. Moving text
// lives in a ring texture one and a half times the object's extent in the
// movement direction (at most 2048 pixels): the text is written into it
// ahead of the window that shows the object's extent of it.

inline constexpr int kMaxTextTextureExtent = 2048;

struct TextTextureGeometry
{
    int width = 0;
    int height = 0;
    int moveLead = 0;  // ring space that must be free before more text is written
};

// The text texture of an object of width x height with the given movement.
TextTextureGeometry TextTextureFor(int movement, int width, int height);

// Output frames that `deltaMicros` stands for: a late frame counts as
// several (rounded to the nearest whole frame), never fewer than one.
int MovementFrames(int deltaMicros, int framePeriod);

// Pixels the text moves in a frame of `deltaMicros`: 1, 2 or 3 per output
// frame for the speeds Slow, Mid and Fast.
int MovementStep(int deltaMicros, int framePeriod, int speed);

// The window of the ring that shows the text: `uv` is the effect's window on
// the object (the background's), `extent` the object's extent and
// `ringExtent` the texture's in the movement direction, `scrollPosition` the
// pixels moved so far. Only the movement direction of `uv` changes.
FloatRect TextWindow(const FloatRect& uv, bool vertical, int extent, int ringExtent, int scrollPosition, bool reverse);
