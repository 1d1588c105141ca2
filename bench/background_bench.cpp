// Uploading a changed animation frame of 1920 x 1080 on the CPU device: what
// the render thread does whenever an animation moves on (choose the frame,
// expand it from its run-length form or copy it raw, straight into the
// locked texture). The budget is 5 % of a 20 ms frame, 1 ms.
#include "BenchPictures.h"

#include "content/FramePlayer.h"
#include "model/Frame.h"
#include "playback/PresentResult.h"
#include "playback/TextureDevice.h"
#include "render/cpu/CpuDevice.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

namespace {

constexpr int kWidth = 1920, kHeight = 1080;
constexpr int kFramePeriod = 20000;

// Object textures on the graphics device, written in place.
class CDeviceTextures : public ITextureDevice
{
public:
    explicit CDeviceTextures(IGraphicsDevice& device) : device_(device) {}

    struct Texture : IObjectTexture
    {
        std::unique_ptr<IDeviceTexture> texture;
        int Width() const override { return texture->Width(); }
        int Height() const override { return texture->Height(); }
    };

    std::unique_ptr<IObjectTexture> CreateTexture(int width, int height) override
    {
        auto texture = device_.CreateTexture(width, height);
        if (!texture)
            return nullptr;
        auto own = std::make_unique<Texture>();
        own->texture = std::move(texture);
        return own;
    }
    int WriteTexture(IObjectTexture& texture, const CRect& rect, const uint32_t* texels, int pitch) override
    {
        CLockedTexels locked;
        if (!LockTexture(texture, &locked))
            return 0;
        for (int y = 0; y < rect.Height(); ++y)
            std::memcpy(locked.bits + size_t(rect.top + y) * size_t(locked.pitch) + size_t(rect.left) * 4,
                        texels + size_t(y) * size_t(pitch), size_t(rect.Width()) * 4);
        return UnlockTexture(texture) ? 1 : 0;
    }
    bool CanLock() const override { return true; }
    bool LockTexture(IObjectTexture& texture, CLockedTexels* locked) override
    {
        LockedRect rect;
        if (!device_.LockTexture(static_cast<Texture&>(texture).texture.get(), &rect))
            return false;
        locked->bits = rect.bits;
        locked->pitch = rect.pitch;
        return true;
    }
    bool UnlockTexture(IObjectTexture& texture) override
    {
        return device_.UnlockTexture(static_cast<Texture&>(texture).texture.get());
    }

private:
    IGraphicsDevice& device_;
};

// Kind 0: lower thirds (kept run-length compressed); 1: photo frames (raw).
void BM_ChangedAnimationFrame(benchmark::State& state)
{
    const int kind = int(state.range(0));
    CCpuDevice device(kWidth, kHeight, 0);
    CDeviceTextures textures(device);
    CFrame object;
    object.framePeriod = kFramePeriod;
    object.backgroundType = kBackgroundPicture;
    object.rect = {0, 0, kWidth, kHeight};
    for (int i = 0; i < 2; ++i) {
        const CPicture frame = kind == 0 ? benchpictures::LowerThird(kWidth, kHeight, i)
                                         : benchpictures::Photo(kWidth, kHeight, unsigned(i + 1));
        object.AddBackgroundFrame(kHeight, frame, kWidth, kFramePeriod / 1000);
    }
    state.SetLabel(object.backgroundFrames[0].picture.compressedSize == CCompressedPicture::kRaw ? "photo, raw"
                                                                                                  : "lower third, compressed");
    CFramePlayer(object).Play();
    object.hasText = 0;
    object.noMoreChunks.store(1);
    object.chunksRendered.store(1);
    PresentResult result;
    CFramePlayer(object).PresentFrame(result, &textures, kFramePeriod);  // the texture is made here
    int uploads = 0;
    for (auto _ : state) {
        // Frames of 20 ms: every output frame shows the other one.
        const int before = object.animationFrame;
        CFramePlayer(object).PresentFrame(result, &textures, kFramePeriod);
        uploads += object.animationFrame != before;
        benchmark::ClobberMemory();
    }
    if (uploads != int(state.iterations()))
        state.SkipWithError("a frame did not change");
    state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight * 4);
}
BENCHMARK(BM_ChangedAnimationFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
