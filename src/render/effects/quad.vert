// Pre-transformed quads: positions are pixels with centres at whole numbers,
// y down. uTargetSize is the render target's size; uFlipY is -1 when the
// target is a window (stored bottom-up) and 1 for textures (stored top-down).
in vec4 aPosition;
in vec4 aDiffuse;
in vec2 aTexCoord;

uniform vec2 uTargetSize;
uniform float uFlipY;

out vec2 vTexCoord;
out float vAlpha;

void main()
{
    vec2 p = aPosition.xy;
    // An edge that lies exactly on pixel centres covers the left or top
    // column or row and not the right or bottom one; nudge it by one
    // sub-pixel step so the rasteriser decides the same way.
    if (fract(p.x) == 0.0)
        p.x -= 1.0 / 256.0;
    if (fract(p.y) == 0.0)
        p.y -= 1.0 / 256.0;
    vec2 ndc = (p + 0.5) / uTargetSize * 2.0 - 1.0;
    gl_Position = vec4(ndc.x, ndc.y * uFlipY, 0.0, 1.0);
    vTexCoord = aTexCoord;
    vAlpha = aDiffuse.a;
}
