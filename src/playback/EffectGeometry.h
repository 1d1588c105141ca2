#pragma once

#include "model/Rect.h"
#include "playback/PresentResult.h"

// Effect numbers that the program chooses itself (all 31 are stored in page
// files; out effect n runs the geometry of in effect n backwards).
enum Effect : int {
    kEffectCut = 0,
    kEffectSlideLeft = 1,
    kEffectRevealLeft = 20,
    kEffectRevealBottom = 23,
};

// The destination rectangle (rounded to whole pixels) and the source window
// of `effect` at `progress` (0 nothing shown, 1 the whole object) on an
// object at `rect`. Returns false and leaves both zero for an effect number
// outside 0..30, which draws nothing.
bool EffectGeometry(int effect, float progress, const CRect& rect, FloatRect& dest, FloatRect& uv);
