#pragma once

// The operator sees transparency as a percentage (0 opaque, 100 fully
// transparent); objects store an alpha byte (255 opaque).
// 0 % is fully opaque: the rounding term alone would make it 254 and let
// the key show through "opaque" text.
constexpr int PercentToAlpha(int percent)
{
    if (percent == 0)
        return 255;
    return 255 - (percent == 100 ? 255 : (percent * 255 + 128) / 100);
}

constexpr int AlphaToPercent(int alpha)
{
    if (alpha == 255)
        return 0;
    if (alpha == 0)
        return 100;
    return (255 - alpha) * 100 / 255;
}
