// Plain output (preview, and the output with Y'CbCr switched off): the
// composition shown as ordinary RGB over the back buffer's colour.
//
//!texture g_txSrcColor
//!sampler g_samSrcColor clamp clamp point
//!shader AlphaBlendPS g_samSrcColor
//!technique AlphaBlend
//!pass p0 AlphaBlendPS blend srcalpha invsrcalpha

uniform sampler2D g_txSrcColor;

in vec2 vTexCoord;
in float vAlpha;
out vec4 fragColor;

vec4 UnfoldAlpha(vec4 c)
{
    if (c.a != 0.0)
        c.rgb = clamp(c.rgb / c.a, 0.0, 1.0);
    return c;
}

vec4 AlphaBlendPS()
{
    return UnfoldAlpha(texture(g_txSrcColor, vTexCoord));
}

void main()
{
    fragColor = ENTRY();
}
