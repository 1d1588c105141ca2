#pragma once

#include "model/Rect.h"
#include "playback/PresentResult.h"

// Effect numbers of the in effects (the out effects use the same geometry
// played backwards). Stored in page files.
enum Effect : int {
    kEffectCut = 0,
    kEffectSlideLeft = 1,
    kEffectStretchLeft = 9,
    kEffectStretchCenterH = 17,
    kEffectRevealLeft = 20,
    kEffectRevealBottom = 23,
    kEffectRevealCenter = 30,
};

// The destination rectangle (rounded to whole pixels) and the source window
// of `effect` at `progress` (0 nothing shown, 1 the whole object) on an
// object at `rect`. Returns false and leaves both zero for an effect number
// outside 0..30, which draws nothing.
bool EffectGeometry(int effect, float progress, const CRect& rect, FloatRect& dest, FloatRect& uv);
