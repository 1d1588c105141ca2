// Output encoding: the composition target leaves as Y' in red, Cb (even
// columns) or Cr (odd columns) in green and the key in blue, so that a device
// receiving the RGB signal can key the graphics over video. "Full" packs into
// 16..235 for adapters that send full-range RGB; "Limited" uses the whole
// range because the adapter compresses it itself.
//
//!texture g_txSrcColor
//!parameter g_TextureWidth
//!sampler g_samSrcColor clamp clamp point
//!shader RGBA2YCbCrAUncompressedPS g_samSrcColor
//!shader RGBA2YCbCrACompressedPS g_samSrcColor
//!technique RGBA2YCbCrA_Full
//!pass p0 RGBA2YCbCrACompressedPS
//!technique RGBA2YCbCrA_Limited
//!pass p0 RGBA2YCbCrAUncompressedPS

uniform sampler2D g_txSrcColor;
uniform float g_TextureWidth;

in vec2 vTexCoord;
in float vAlpha;
out vec4 fragColor;

const float INT_16 = 16.0 / 256.0;
const float INT_235 = 235.0 / 256.0;
const float INT_HALF = 0.5 / 256.0;

// ITU-R BT.709 studio-range coefficients; rows Y', Cb, Cr, A.
const mat4 matrixRGBA2YCbCrA = transpose(mat4(
     0.183,  0.614,  0.062, 0.0,
    -0.101, -0.338,  0.439, 0.0,
     0.439, -0.399, -0.040, 0.0,
     0.0,    0.0,    0.0,   1.0));

// Premultiplied back to straight colour.
vec4 UnfoldAlpha(vec4 c)
{
    if (c.a != 0.0)
        c.rgb = clamp(c.rgb / c.a, 0.0, 1.0);
    return c;
}

vec4 YCbCrAt(vec2 uv)
{
    return matrixRGBA2YCbCrA * UnfoldAlpha(texture(g_txSrcColor, uv));
}

// x: Y', y: the chroma sum of the column's pair, z: A.
vec3 Encode()
{
    float xpos = vTexCoord.x * g_TextureWidth * 0.5;
    float d = round(xpos) - xpos;
    vec4 c = YCbCrAt(vTexCoord);
    float chromaSum;
    if (d * d < 0.1)
        chromaSum = c.y + YCbCrAt(vTexCoord + vec2(1.0 / g_TextureWidth, 0.0)).y;
    else
        chromaSum = c.z + YCbCrAt(vTexCoord - vec2(1.0 / g_TextureWidth, 0.0)).z;
    return vec3(c.x, chromaSum, c.w);
}

vec4 RGBA2YCbCrAUncompressedPS()
{
    vec3 e = Encode();
    return vec4(clamp(e.x + INT_HALF, 0.0, 1.0),
                clamp(e.y * 0.5 + INT_HALF + 0.5, 0.0, 1.0),
                clamp(e.z + INT_HALF, 0.0, 1.0),
                e.z);
}

vec4 RGBA2YCbCrACompressedPS()
{
    vec3 e = Encode();
    return vec4(clamp(e.x * 0.85546875 + INT_16 + INT_HALF, INT_16, INT_235),
                clamp(e.y * 0.427734375 + INT_HALF + 0.5, INT_16, INT_235),
                clamp(e.z * 0.85546875 + INT_16 + INT_HALF, INT_16, INT_235),
                e.z);
}

void main()
{
    fragColor = ENTRY();
}
