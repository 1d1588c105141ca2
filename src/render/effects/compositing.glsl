// Compositing: object quads blended premultiplied ("over") into the
// composition target, with an optional soft drop shadow pass before the text.
// Straight colour comes in from the textures, premultiplied colour goes out.
//
//!texture g_txSrcColor
//!parameter g_fXL2 g_fXL1 g_fX00 g_fXR1 g_fXR2
//!parameter g_fYL2 g_fYL1 g_fY00 g_fYR1 g_fYR2
//!sampler g_samSrcColor wrap wrap linear
//!sampler g_samSrcShadowH wrap clamp linear
//!sampler g_samSrcShadowV clamp wrap linear
//!sampler g_samSrcShadowHV clamp clamp linear
//!shader AlphaMixPS g_samSrcColor
//!shader AlphaMixShadowHVPS g_samSrcShadowHV
//!shader AlphaMixShadowHPS g_samSrcShadowH
//!shader AlphaMixShadowVPS g_samSrcShadowV
//!technique AlphaMix
//!pass p0 AlphaMixPS blend one invsrcalpha
//!technique AlphaMixShadowHV
//!pass p0 AlphaMixShadowHVPS blend one invsrcalpha
//!pass p1 AlphaMixPS blend one invsrcalpha
//!technique AlphaMixShadowH
//!pass p0 AlphaMixShadowHPS blend one invsrcalpha
//!pass p1 AlphaMixPS blend one invsrcalpha
//!technique AlphaMixShadowV
//!pass p0 AlphaMixShadowVPS blend one invsrcalpha
//!pass p1 AlphaMixPS blend one invsrcalpha

uniform sampler2D g_txSrcColor;
uniform float g_fXL2, g_fXL1, g_fX00, g_fXR1, g_fXR2;
uniform float g_fYL2, g_fYL1, g_fY00, g_fYR1, g_fYR2;

in vec2 vTexCoord;
in float vAlpha;
out vec4 fragColor;

vec4 AlphaMixPS()
{
    vec4 t = texture(g_txSrcColor, vTexCoord);
    float a = t.a * vAlpha;
    return vec4(t.rgb * a, a);
}

float Tap(float x, float y)
{
    return texture(g_txSrcColor, vTexCoord + vec2(x, y)).a;
}

// A diamond of 13 taps of radius 2 texels around the displaced centre;
// pure black with the mean coverage.
vec4 AlphaMixShadowPS()
{
    float s = Tap(g_fX00, g_fYL2)
            + Tap(g_fXL1, g_fYL1) + Tap(g_fX00, g_fYL1) + Tap(g_fXR1, g_fYL1)
            + Tap(g_fXL2, g_fY00) + Tap(g_fXL1, g_fY00) + Tap(g_fX00, g_fY00) + Tap(g_fXR1, g_fY00) + Tap(g_fXR2, g_fY00)
            + Tap(g_fXL1, g_fYR1) + Tap(g_fX00, g_fYR1) + Tap(g_fXR1, g_fYR1)
            + Tap(g_fX00, g_fYR2);
    return vec4(0.0, 0.0, 0.0, s / 13.0 * vAlpha);
}

// The three shadow shaders differ only in their sampler states.
#define AlphaMixShadowHVPS AlphaMixShadowPS
#define AlphaMixShadowHPS AlphaMixShadowPS
#define AlphaMixShadowVPS AlphaMixShadowPS

void main()
{
    fragColor = ENTRY();
}
