#pragma once

class IObjectTexture;

// A rectangle in floats: canvas pixels or texture coordinates.
struct FloatRect
{
    float left = 0;
    float top = 0;
    float right = 0;
    float bottom = 0;

    friend bool operator==(const FloatRect&, const FloatRect&) = default;
};

// What one object contributes to one output frame: up to two quads (its
// background, then its text) over the same destination, each with its own
// window into its texture, and one opacity for both. A result with both
// textures null draws nothing.
struct PresentResult
{
    IObjectTexture* backgroundTexture = nullptr;
    IObjectTexture* textTexture = nullptr;
    FloatRect destRect;      // canvas pixels, whole numbers
    FloatRect backgroundUV;  // 0..1
    FloatRect textUV;        // may run past 1 in the movement direction: sample with wrap-around
    int alpha = 0;           // 0..255
};
