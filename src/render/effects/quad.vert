// Pre-transformed quads: positions are pixels with centres at whole numbers,
// y down. uTargetSize is the render target's size. Every target is a texture
// stored top-down, so y = 0 is its first row.
in vec4 aPosition;
in vec4 aDiffuse;
in vec2 aTexCoord;

uniform vec2 uTargetSize;

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
    gl_Position = vec4(ndc, 0.0, 1.0);
    vTexCoord = aTexCoord;
    vAlpha = aDiffuse.a;
}
