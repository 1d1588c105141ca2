// Picture files come from anywhere: any bytes must decode to a picture that
// holds together or fail, without a crash, a hang or memory beyond the
// decoders' limits. Our own BMP and TGA readers also get every input
// directly, whatever its first bytes say.
#include "content/PictureDecoder.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

namespace {

void Check(const CPictureDecoder::Frame& frame, int ok)
{
    const CPicture& p = frame.picture;
    if (!ok) {
        if (!p.IsEmpty())
            __builtin_trap();
        return;
    }
    if (p.width <= 0 || p.height <= 0 || int64_t(p.width) * p.height > CPictureDecoder::kMaxPixels
        || p.pixels.size() != p.PixelCount())
        __builtin_trap();
    if (frame.delayMs < 0)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CPictureDecoder decoder(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (decoder.FrameCount() < 0 || decoder.FrameCount() > 20000)
        __builtin_trap();
    CPictureDecoder::Frame frame;
    // A few frames in order, then one going back (which starts over).
    const int frames = decoder.FrameCount() < 8 ? decoder.FrameCount() : 8;
    for (int i = 0; i < frames; ++i)
        Check(frame, decoder.Decode(i, frame));
    if (frames > 1)
        Check(frame, decoder.Decode(0, frame));
    Check(frame, DecodeBmp(data, size, frame));
    Check(frame, DecodeTga(data, size, frame));
    return 0;
}
