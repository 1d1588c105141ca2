#include "playback/EffectGeometry.h"

#include <cmath>

namespace {

// How an effect treats the picture: a slide moves the whole picture in, a
// stretch squeezes it into the growing rectangle, a reveal uncovers it in place.
enum class Kind { Cut, Slide, Stretch, Reveal };

// Where the visible part grows from along one axis.
enum class Anchor {
    Full,    // the whole extent
    Near,    // from the left (top) edge
    Far,     // from the right (bottom) edge
    Centre,  // from the middle out to both edges
};

struct EffectShape
{
    Kind kind;
    Anchor horizontal;
    Anchor vertical;
};

// In effect numbers 0..30; out effect n runs in effect n backwards.
constexpr EffectShape kShapes[] = {
    {Kind::Cut, Anchor::Full, Anchor::Full},            //  0 cut
    {Kind::Slide, Anchor::Near, Anchor::Full},      //  1 slide from Left side
    {Kind::Slide, Anchor::Far, Anchor::Full},       //  2 slide from Right side
    {Kind::Slide, Anchor::Full, Anchor::Near},      //  3 slide from Top side
    {Kind::Slide, Anchor::Full, Anchor::Far},       //  4 slide from Bottom side
    {Kind::Slide, Anchor::Near, Anchor::Near},      //  5 slide from Top-Left corner
    {Kind::Slide, Anchor::Far, Anchor::Near},       //  6 slide from Top-Right corner
    {Kind::Slide, Anchor::Near, Anchor::Far},       //  7 slide from Bottom-Left corner
    {Kind::Slide, Anchor::Far, Anchor::Far},        //  8 slide from Bottom-Right corner
    {Kind::Stretch, Anchor::Near, Anchor::Full},    //  9 stretch from Left side
    {Kind::Stretch, Anchor::Far, Anchor::Full},     // 10 stretch from Right side
    {Kind::Stretch, Anchor::Full, Anchor::Near},    // 11 stretch from Top side
    {Kind::Stretch, Anchor::Full, Anchor::Far},     // 12 stretch from Bottom side
    {Kind::Stretch, Anchor::Near, Anchor::Near},    // 13 stretch from Top-Left corner
    {Kind::Stretch, Anchor::Far, Anchor::Near},     // 14 stretch from Top-Right corner
    {Kind::Stretch, Anchor::Near, Anchor::Far},     // 15 stretch from Bottom-Left corner
    {Kind::Stretch, Anchor::Far, Anchor::Far},      // 16 stretch from Bottom-Right corner
    {Kind::Stretch, Anchor::Centre, Anchor::Full},  // 17 stretch from centre horizontally
    {Kind::Stretch, Anchor::Full, Anchor::Centre},  // 18 stretch from centre vertically
    {Kind::Stretch, Anchor::Centre, Anchor::Centre},// 19 stretch from centre to corners
    {Kind::Reveal, Anchor::Near, Anchor::Full},     // 20 reveal from Left side
    {Kind::Reveal, Anchor::Far, Anchor::Full},      // 21 reveal from Right side
    {Kind::Reveal, Anchor::Full, Anchor::Near},     // 22 reveal from Top side
    {Kind::Reveal, Anchor::Full, Anchor::Far},      // 23 reveal from Bottom side
    {Kind::Reveal, Anchor::Near, Anchor::Near},     // 24 reveal from Top-Left corner
    {Kind::Reveal, Anchor::Far, Anchor::Near},      // 25 reveal from Top-Right corner
    {Kind::Reveal, Anchor::Near, Anchor::Far},      // 26 reveal from Bottom-Left corner
    {Kind::Reveal, Anchor::Far, Anchor::Far},       // 27 reveal from Bottom-Right corner
    {Kind::Reveal, Anchor::Centre, Anchor::Full},   // 28 reveal from centre horizontally
    {Kind::Reveal, Anchor::Full, Anchor::Centre},   // 29 reveal from centre vertically
    {Kind::Reveal, Anchor::Centre, Anchor::Centre}, // 30 reveal from centre to corners
};
static_assert(sizeof kShapes / sizeof kShapes[0] == 31);

struct Span
{
    float destLow, destHigh, uvLow, uvHigh;
};

// One axis of the geometry: `low`..`high` is the object's extent on it.
Span AxisSpan(Kind kind, Anchor anchor, int low, int high, float p)
{
    const int extent = high - low;
    const float q = 1.0f - p;
    const int half = extent / 2;
    switch (anchor) {
    case Anchor::Full:
        return {float(low), float(high), 0.0f, 1.0f};
    case Anchor::Near:
        // A slide shows the far end of the picture first, a reveal the near end.
        return {float(low), low + p * extent, kind == Kind::Slide ? q : 0.0f,
                kind == Kind::Reveal ? p : 1.0f};
    case Anchor::Far:
        return {high - p * extent, float(high), kind == Kind::Reveal ? q : 0.0f,
                kind == Kind::Slide ? p : 1.0f};
    case Anchor::Centre:
        if (kind == Kind::Reveal)
            return {low + q * half, high - q * half, 0.5f - 0.5f * p, 0.5f + 0.5f * p};
        return {low + q * half, high - q * half, 0.0f, 1.0f};
    }
    return {};
}

float RoundToPixel(float x)
{
    return std::floor(x + 0.5f);
}

}  // namespace

bool EffectGeometry(int effect, float progress, const CRect& rect, FloatRect& dest, FloatRect& uv)
{
    dest = {};
    uv = {};
    if (effect < 0 || effect >= static_cast<int>(sizeof kShapes / sizeof kShapes[0]))
        return false;
    const EffectShape& shape = kShapes[effect];
    const Span x = AxisSpan(shape.kind, shape.horizontal, rect.left, rect.right, progress);
    const Span y = AxisSpan(shape.kind, shape.vertical, rect.top, rect.bottom, progress);
    dest = {RoundToPixel(x.destLow), RoundToPixel(y.destLow), RoundToPixel(x.destHigh), RoundToPixel(y.destHigh)};
    uv = {x.uvLow, y.uvLow, x.uvHigh, y.uvHigh};
    return true;
}
