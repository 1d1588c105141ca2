#include "DeviceScene.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace scene {

std::unique_ptr<IGraphicsDevice> MakeDevice(DeviceChoice choice, int width, int height)
{
    DeviceRequest request;
    request.choice = choice;
    request.width = width;
    request.height = height;
    QString error;
    return CreateGraphicsDevice(request, &error);
}

std::unique_ptr<IDeviceTexture> Upload(IGraphicsDevice& device, const CPicture& picture)
{
    auto texture = device.CreateTexture(picture.width, picture.height);
    if (!texture)
        return nullptr;
    LockedRect locked;
    if (!device.LockTexture(texture.get(), &locked))
        return nullptr;
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(locked.bits + static_cast<size_t>(y) * locked.pitch, &picture.pixels[static_cast<size_t>(y) * picture.width],
                    static_cast<size_t>(picture.width) * 4);
    if (!device.UnlockTexture(texture.get()))
        return nullptr;
    return texture;
}

namespace {

void SetQuad(Vertex* v, float left, float top, float right, float bottom, float uL, float vT, float uR, float vB,
             uint32_t diffuse)
{
    SetQuadVertices(v, left, top, right, bottom, uL, vT, uR, vB, diffuse);
}

void SetShadowOffsets(IDeviceEffect& effect, int size, int width, int height)
{
    const char* xs[5] = {"g_fXL2", "g_fXL1", "g_fX00", "g_fXR1", "g_fXR2"};
    const char* ys[5] = {"g_fYL2", "g_fYL1", "g_fY00", "g_fYR1", "g_fYR2"};
    for (int i = 0; i < 5; ++i) {
        effect.SetFloat(xs[i], static_cast<float>(size - 3 + i) * (-1.0f / width));
        effect.SetFloat(ys[i], static_cast<float>(size - 3 + i) * (-1.0f / height));
    }
}

// Vertices 0-3: the composition target onto the back buffer, one texel per
// pixel for the output, the canvas over the whole back buffer for preview.
void OutputQuad(IGraphicsDevice& device, const Frame& frame, Vertex* vertices)
{
    const DeviceDescription& d = device.Description();
    if (frame.output == Output::kPreview) {
        const float w = static_cast<float>(d.backBufferWidth - 1);
        const float h = static_cast<float>(d.backBufferHeight - 1);
        SetQuad(vertices, 0, 0, w, h, 0, 0, frame.canvasWidth / 2048.0f, frame.canvasHeight / 2048.0f, 0);
    } else {
        SetQuad(vertices, 0, 0, 2047, 2047, 0, 0, 1, 1, 0);
    }
}

bool Encode(IGraphicsDevice& device, const Frame& frame, IDeviceEffect& output, IDeviceTexture* source);

}  // namespace

bool Draw(IGraphicsDevice& device, const Frame& frame)
{
    std::vector<std::unique_ptr<IDeviceTexture>> textures;
    for (const CPicture& picture : frame.textures) {
        textures.push_back(Upload(device, picture));
        if (!textures.back())
            return false;
    }
    auto compositing = device.CreateEffect(EffectId::kCompositing);
    auto output = device.CreateEffect(frame.output == Output::kPreview ? EffectId::kPlainOutput
                                                                        : EffectId::kYCbCrOutput);
    if (!compositing || !output)
        return false;

    std::vector<Vertex> vertices(kVertexBufferSize);
    OutputQuad(device, frame, vertices.data());
    bool anyShadow = false;
    for (size_t i = 0; i < frame.quads.size(); ++i) {
        const Quad& q = frame.quads[i];
        SetQuad(&vertices[4 + 4 * i], q.left - 0.5f, q.top - 0.5f, q.right - 0.5f, q.bottom - 0.5f, q.uLeft, q.vTop,
                q.uRight, q.vBottom, static_cast<uint32_t>(q.alpha) << 24);
        anyShadow = anyShadow || q.shadowSize > 0;
    }
    if (!device.UploadVertices(vertices.data(), kVertexBufferSize))
        return false;

    device.SetRenderTarget(device.CompositionTarget());
    device.Clear(frame.backColor);
    if (!anyShadow) {
        compositing->SetTechnique("AlphaMix");
        compositing->Begin();
        for (size_t i = 0; i < frame.quads.size(); ++i) {
            compositing->SetTexture("g_txSrcColor", textures[frame.quads[i].texture].get());
            compositing->BeginPass(0);
            device.DrawQuad(static_cast<int>(4 + 4 * i));
            compositing->EndPass();
        }
        compositing->End();
    } else {
        for (size_t i = 0; i < frame.quads.size(); ++i) {
            const Quad& q = frame.quads[i];
            IDeviceTexture* texture = textures[q.texture].get();
            static const char* const kShadowTechniques[3] = {"AlphaMixShadowHV", "AlphaMixShadowH", "AlphaMixShadowV"};
            compositing->SetTechnique(q.shadowSize == 0 ? "AlphaMix" : kShadowTechniques[q.shadowKind]);
            if (q.shadowSize > 0)
                SetShadowOffsets(*compositing, q.shadowSize, texture->Width(), texture->Height());
            compositing->SetTexture("g_txSrcColor", texture);
            const int passes = compositing->Begin();
            for (int p = 0; p < passes; ++p) {
                compositing->BeginPass(p);
                device.DrawQuad(static_cast<int>(4 + 4 * i));
                compositing->EndPass();
            }
            compositing->End();
        }
    }

    return Encode(device, frame, *output, device.CompositionTarget());
}

bool DrawOutput(IGraphicsDevice& device, const Frame& frame, const CPicture& canvas)
{
    CPicture source = Solid(2048, 2048, 0);
    for (int y = 0; y < canvas.height; ++y)
        std::copy_n(&canvas.pixels[static_cast<size_t>(y) * canvas.width], canvas.width,
                    &source.pixels[static_cast<size_t>(y) * 2048]);
    auto texture = Upload(device, source);
    auto output = device.CreateEffect(frame.output == Output::kPreview ? EffectId::kPlainOutput
                                                                        : EffectId::kYCbCrOutput);
    if (!texture || !output)
        return false;
    std::vector<Vertex> vertices(4);
    OutputQuad(device, frame, vertices.data());
    if (!device.UploadVertices(vertices.data(), 4))
        return false;
    return Encode(device, frame, *output, texture.get());
}

namespace {

bool Encode(IGraphicsDevice& device, const Frame& frame, IDeviceEffect& output, IDeviceTexture* source)
{
    device.SetRenderTarget(nullptr);
    if (frame.output == Output::kPreview) {
        device.Clear(frame.backColor);
        output.SetTechnique("AlphaBlend");
    } else {
        output.SetTechnique(frame.output == Output::kFull ? "RGBA2YCbCrA_Full" : "RGBA2YCbCrA_Limited");
        output.SetFloat("g_TextureWidth", 2047.0f);
    }
    output.SetTexture("g_txSrcColor", source);
    output.Begin();
    output.BeginPass(0);
    device.DrawQuad(0);
    output.EndPass();
    output.End();
    return device.Present() == DeviceStatus::kOk;
}

}  // namespace

namespace {

uint32_t Next(unsigned& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

}  // namespace

CPicture Pattern(int width, int height, unsigned seed)
{
    CPicture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(static_cast<size_t>(width) * height);
    unsigned state = seed;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t noise = Next(state);
            const uint32_t b = (x * 255 / std::max(width - 1, 1)) & 0xFF;
            const uint32_t g = (y * 255 / std::max(height - 1, 1)) & 0xFF;
            const uint32_t r = noise & 0xFF;
            // Alpha in bands: clear, opaque and every value between.
            const uint32_t band = (x / 7 + y / 5) % 4;
            const uint32_t a = band == 0 ? 0 : band == 1 ? 255 : (noise >> 8) & 0xFF;
            picture.pixels[static_cast<size_t>(y) * width + x] = b | (g << 8) | (r << 16) | (a << 24);
        }
    return picture;
}

CPicture TextLike(int width, int height, unsigned seed)
{
    CPicture picture = Solid(width, height, 0x00FFFFFFu);
    unsigned state = seed;
    for (int y = 2; y + 6 < height; y += 9)
        for (int x = 2; x + 5 < width; x += 7) {
            if (Next(state) % 3 == 0)
                continue;
            const uint32_t colour = 0xFFFFFF & (Next(state) | 0x404040);
            for (int dy = 0; dy < 6; ++dy)
                for (int dx = 0; dx < 4; ++dx) {
                    const bool edge = dx == 0 || dx == 3 || dy == 0 || dy == 5;
                    const uint32_t a = edge ? 96 + Next(state) % 64 : 255;
                    picture.pixels[static_cast<size_t>(y + dy) * width + x + dx] = colour | (a << 24);
                }
        }
    return picture;
}

CPicture Solid(int width, int height, uint32_t argb)
{
    CPicture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.assign(static_cast<size_t>(width) * height, argb);
    return picture;
}

::testing::AssertionResult SameSize(const CPicture& a, const CPicture& b, int width, int height)
{
    const auto sizeOf = [](const CPicture& p) {
        return std::to_string(p.width) + " x " + std::to_string(p.height) + " (" + std::to_string(p.pixels.size())
               + " pixels)";
    };
    const auto wanted = [&](const CPicture& p) {
        return p.width == width && p.height == height && p.pixels.size() == static_cast<size_t>(width) * height;
    };
    if (width > 0 && height > 0 && wanted(a) && wanted(b))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pictures of " << sizeOf(a) << " and " << sizeOf(b) << ", not both "
                                         << width << " x " << height;
}

int MaxDifference(const CPicture& a, const CPicture& b, int width, int height, int* atX, int* atY)
{
    const auto covers = [&](const CPicture& p) {
        return p.width >= width && p.height >= height && p.pixels.size() >= static_cast<size_t>(p.width) * p.height;
    };
    if (width <= 0 || height <= 0 || !covers(a) || !covers(b))
        return 256;
    int worst = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t pa = a.pixels[static_cast<size_t>(y) * a.width + x];
            const uint32_t pb = b.pixels[static_cast<size_t>(y) * b.width + x];
            for (int shift = 0; shift < 32; shift += 8) {
                const int diff = std::abs(static_cast<int>(Channel(pa, shift)) - static_cast<int>(Channel(pb, shift)));
                if (diff > worst) {
                    worst = diff;
                    if (atX)
                        *atX = x;
                    if (atY)
                        *atY = y;
                }
            }
        }
    return worst;
}

}  // namespace scene
